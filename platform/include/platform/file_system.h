// The Scripting FileSystemObject over the network folder: the members the path search uses.
#pragma once

#include "com/bstr.h"
#include "com/enum_variant.h"
#include "com/unknown.h"

struct IFileCollection;
struct IFolderCollection;

struct IFile : IDispatch {
    static constexpr IID iid = make_guid("{C7C3F5B4-88A3-11D0-ABCB-00A0C90FFFC0}");
    virtual HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
};

struct IFolder : IDispatch {
    static constexpr IID iid = make_guid("{C7C3F5B2-88A3-11D0-ABCB-00A0C90FFFC0}");
    virtual HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SubFolders(IFolderCollection** folders) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Files(IFileCollection** files) = 0;
};

// Both collections enumerate through _NewEnum: an IEnumVARIANT of dispatch objects (IFile, IFolder).
struct IFileCollection : IDispatch {
    static constexpr IID iid = make_guid("{C7C3F5B6-88A3-11D0-ABCB-00A0C90FFFC0}");
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;
};

struct IFolderCollection : IDispatch {
    static constexpr IID iid = make_guid("{C7C3F5B3-88A3-11D0-ABCB-00A0C90FFFC0}");
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;
};

struct IFileSystem : IDispatch {
    static constexpr IID iid = make_guid("{0AB5A3D0-E5B6-11D0-ABF5-00A0C90FFFC0}");
    virtual HRESULT STDMETHODCALLTYPE FileExists(BSTR path, VARIANT_BOOL* exists) = 0;
    virtual HRESULT STDMETHODCALLTYPE FolderExists(BSTR path, VARIANT_BOOL* exists) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, IFolder** folder) = 0;
};
