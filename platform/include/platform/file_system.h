// The Scripting FileSystemObject's interfaces, every member in the platform's vtable order, so that
// a call made through them lands on the same member of the platform's own object. The path search
// calls only a few; the types of the members it never calls stay opaque.
#pragma once

#include "com/bstr.h"
#include "com/enum_variant.h"
#include "com/unknown.h"
#include "com/variant.h"

struct IDrive;
struct IDriveCollection;
struct ITextStream;
struct IFile;
struct IFolder;
struct IFileCollection;
struct IFolderCollection;

// The scripting library's enumerations travel as 32-bit integers.
enum class FileAttribute : std::int32_t;
enum class SpecialFolderConst : std::int32_t;
enum class IOMode : std::int32_t;
enum class Tristate : std::int32_t;
enum class StandardStreamTypes : std::int32_t;
using DATE = double;

struct IFile : IDispatch {
    static constexpr IID iid = make_guid("{C7C3F5A4-88A3-11D0-ABCB-00A0C90FFFC0}");
    virtual HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Name(BSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShortPath(BSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShortName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Drive(IDrive** drive) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ParentFolder(IFolder** folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Attributes(FileAttribute* attributes) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Attributes(FileAttribute attributes) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DateCreated(DATE* date) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DateLastModified(DATE* date) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DateLastAccessed(DATE* date) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(VARIANT* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Type(BSTR* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete(VARIANT_BOOL force) = 0;
    virtual HRESULT STDMETHODCALLTYPE Copy(BSTR destination, VARIANT_BOOL overwrite) = 0;
    virtual HRESULT STDMETHODCALLTYPE Move(BSTR destination) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenAsTextStream(IOMode mode, Tristate format, ITextStream** stream) = 0;
};

struct IFolder : IDispatch {
    static constexpr IID iid = make_guid("{C7C3F5A2-88A3-11D0-ABCB-00A0C90FFFC0}");
    virtual HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Name(BSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShortPath(BSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShortName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Drive(IDrive** drive) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ParentFolder(IFolder** folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Attributes(FileAttribute* attributes) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Attributes(FileAttribute attributes) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DateCreated(DATE* date) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DateLastModified(DATE* date) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DateLastAccessed(DATE* date) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Type(BSTR* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete(VARIANT_BOOL force) = 0;
    virtual HRESULT STDMETHODCALLTYPE Copy(BSTR destination, VARIANT_BOOL overwrite) = 0;
    virtual HRESULT STDMETHODCALLTYPE Move(BSTR destination) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRootFolder(VARIANT_BOOL* root) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(VARIANT* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SubFolders(IFolderCollection** folders) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Files(IFileCollection** files) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTextFile(BSTR name, VARIANT_BOOL overwrite, VARIANT_BOOL unicode,
                                                     ITextStream** stream) = 0;
};

// Both collections enumerate through _NewEnum: an IEnumVARIANT of dispatch objects (IFile, IFolder).
struct IFileCollection : IDispatch {
    static constexpr IID iid = make_guid("{C7C3F5A5-88A3-11D0-ABCB-00A0C90FFFC0}");
    virtual HRESULT STDMETHODCALLTYPE get_Item(VARIANT key, IFile** file) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
};

struct IFolderCollection : IDispatch {
    static constexpr IID iid = make_guid("{C7C3F5A3-88A3-11D0-ABCB-00A0C90FFFC0}");
    virtual HRESULT STDMETHODCALLTYPE Add(BSTR name, IFolder** folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Item(VARIANT key, IFolder** folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
};

// The interface the path search asks the host's file system for. The platform's object answers it
// and IFileSystem3, its default interface, which only adds two members at the end.
struct IFileSystem : IDispatch {
    static constexpr IID iid = make_guid("{0AB5A3D0-E5B6-11D0-ABF5-00A0C90FFFC0}");
    virtual HRESULT STDMETHODCALLTYPE get_Drives(IDriveCollection** drives) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildPath(BSTR path, BSTR name, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDriveName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParentFolderName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFileName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBaseName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtensionName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAbsolutePathName(BSTR path, BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTempName(BSTR* result) = 0;
    virtual HRESULT STDMETHODCALLTYPE DriveExists(BSTR drive, VARIANT_BOOL* exists) = 0;
    virtual HRESULT STDMETHODCALLTYPE FileExists(BSTR path, VARIANT_BOOL* exists) = 0;
    virtual HRESULT STDMETHODCALLTYPE FolderExists(BSTR path, VARIANT_BOOL* exists) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDrive(BSTR drive, IDrive** result) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFile(BSTR path, IFile** file) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, IFolder** folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSpecialFolder(SpecialFolderConst which, IFolder** folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteFile(BSTR path, VARIANT_BOOL force) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteFolder(BSTR path, VARIANT_BOOL force) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveFile(BSTR source, BSTR destination) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveFolder(BSTR source, BSTR destination) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyFile(BSTR source, BSTR destination, VARIANT_BOOL overwrite) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyFolder(BSTR source, BSTR destination, VARIANT_BOOL overwrite) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateFolder(BSTR path, IFolder** folder) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTextFile(BSTR path, VARIANT_BOOL overwrite, VARIANT_BOOL unicode,
                                                     ITextStream** stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenTextFile(BSTR path, IOMode mode, VARIANT_BOOL create, Tristate format,
                                                   ITextStream** stream) = 0;
};

struct IFileSystem3 : IFileSystem {
    static constexpr IID iid = make_guid("{2A0B9D10-4B87-11D3-A97A-00104B365C9F}");
    virtual HRESULT STDMETHODCALLTYPE GetStandardStream(StandardStreamTypes type, VARIANT_BOOL unicode,
                                                        ITextStream** stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFileVersion(BSTR path, BSTR* version) = 0;
};

inline constexpr CLSID CLSID_FileSystemObject = make_guid("{0D43FE01-F093-11CF-8940-00A0C9054228}");
