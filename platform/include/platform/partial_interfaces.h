// Bases for the stand-ins of the platform's file-system and network objects: each answers E_NOTIMPL
// for every member that nothing here calls, so that a stand-in overrides only the members it serves
// and the vtable still has every slot of the platform's interface.
#pragma once

#include "platform/file_system.h"
#include "platform/wsh_network.h"

#define PM_NOT_IMPLEMENTED(member, ...) \
    HRESULT STDMETHODCALLTYPE member(__VA_ARGS__) override { return E_NOTIMPL; }

// Serves get_Path and get_Name.
struct PartialFile : IFile {
    PM_NOT_IMPLEMENTED(put_Name, BSTR)
    PM_NOT_IMPLEMENTED(get_ShortPath, BSTR*)
    PM_NOT_IMPLEMENTED(get_ShortName, BSTR*)
    PM_NOT_IMPLEMENTED(get_Drive, IDrive**)
    PM_NOT_IMPLEMENTED(get_ParentFolder, IFolder**)
    PM_NOT_IMPLEMENTED(get_Attributes, FileAttribute*)
    PM_NOT_IMPLEMENTED(put_Attributes, FileAttribute)
    PM_NOT_IMPLEMENTED(get_DateCreated, DATE*)
    PM_NOT_IMPLEMENTED(get_DateLastModified, DATE*)
    PM_NOT_IMPLEMENTED(get_DateLastAccessed, DATE*)
    PM_NOT_IMPLEMENTED(get_Size, VARIANT*)
    PM_NOT_IMPLEMENTED(get_Type, BSTR*)
    PM_NOT_IMPLEMENTED(Delete, VARIANT_BOOL)
    PM_NOT_IMPLEMENTED(Copy, BSTR, VARIANT_BOOL)
    PM_NOT_IMPLEMENTED(Move, BSTR)
    PM_NOT_IMPLEMENTED(OpenAsTextStream, IOMode, Tristate, ITextStream**)
};

// Serves get_Path, get_Name, get_SubFolders and get_Files.
struct PartialFolder : IFolder {
    PM_NOT_IMPLEMENTED(put_Name, BSTR)
    PM_NOT_IMPLEMENTED(get_ShortPath, BSTR*)
    PM_NOT_IMPLEMENTED(get_ShortName, BSTR*)
    PM_NOT_IMPLEMENTED(get_Drive, IDrive**)
    PM_NOT_IMPLEMENTED(get_ParentFolder, IFolder**)
    PM_NOT_IMPLEMENTED(get_Attributes, FileAttribute*)
    PM_NOT_IMPLEMENTED(put_Attributes, FileAttribute)
    PM_NOT_IMPLEMENTED(get_DateCreated, DATE*)
    PM_NOT_IMPLEMENTED(get_DateLastModified, DATE*)
    PM_NOT_IMPLEMENTED(get_DateLastAccessed, DATE*)
    PM_NOT_IMPLEMENTED(get_Type, BSTR*)
    PM_NOT_IMPLEMENTED(Delete, VARIANT_BOOL)
    PM_NOT_IMPLEMENTED(Copy, BSTR, VARIANT_BOOL)
    PM_NOT_IMPLEMENTED(Move, BSTR)
    PM_NOT_IMPLEMENTED(get_IsRootFolder, VARIANT_BOOL*)
    PM_NOT_IMPLEMENTED(get_Size, VARIANT*)
    PM_NOT_IMPLEMENTED(CreateTextFile, BSTR, VARIANT_BOOL, VARIANT_BOOL, ITextStream**)
};

// Serve get__NewEnum and get_Count.
struct PartialFileCollection : IFileCollection {
    PM_NOT_IMPLEMENTED(get_Item, VARIANT, IFile**)
};

struct PartialFolderCollection : IFolderCollection {
    PM_NOT_IMPLEMENTED(Add, BSTR, IFolder**)
    PM_NOT_IMPLEMENTED(get_Item, VARIANT, IFolder**)
};

// Serves FileExists, FolderExists and GetFolder.
struct PartialFileSystem : IFileSystem3 {
    PM_NOT_IMPLEMENTED(get_Drives, IDriveCollection**)
    PM_NOT_IMPLEMENTED(BuildPath, BSTR, BSTR, BSTR*)
    PM_NOT_IMPLEMENTED(GetDriveName, BSTR, BSTR*)
    PM_NOT_IMPLEMENTED(GetParentFolderName, BSTR, BSTR*)
    PM_NOT_IMPLEMENTED(GetFileName, BSTR, BSTR*)
    PM_NOT_IMPLEMENTED(GetBaseName, BSTR, BSTR*)
    PM_NOT_IMPLEMENTED(GetExtensionName, BSTR, BSTR*)
    PM_NOT_IMPLEMENTED(GetAbsolutePathName, BSTR, BSTR*)
    PM_NOT_IMPLEMENTED(GetTempName, BSTR*)
    PM_NOT_IMPLEMENTED(DriveExists, BSTR, VARIANT_BOOL*)
    PM_NOT_IMPLEMENTED(GetDrive, BSTR, IDrive**)
    PM_NOT_IMPLEMENTED(GetFile, BSTR, IFile**)
    PM_NOT_IMPLEMENTED(GetSpecialFolder, SpecialFolderConst, IFolder**)
    PM_NOT_IMPLEMENTED(DeleteFile, BSTR, VARIANT_BOOL)
    PM_NOT_IMPLEMENTED(DeleteFolder, BSTR, VARIANT_BOOL)
    PM_NOT_IMPLEMENTED(MoveFile, BSTR, BSTR)
    PM_NOT_IMPLEMENTED(MoveFolder, BSTR, BSTR)
    PM_NOT_IMPLEMENTED(CopyFile, BSTR, BSTR, VARIANT_BOOL)
    PM_NOT_IMPLEMENTED(CopyFolder, BSTR, BSTR, VARIANT_BOOL)
    PM_NOT_IMPLEMENTED(CreateFolder, BSTR, IFolder**)
    PM_NOT_IMPLEMENTED(CreateTextFile, BSTR, VARIANT_BOOL, VARIANT_BOOL, ITextStream**)
    PM_NOT_IMPLEMENTED(OpenTextFile, BSTR, IOMode, VARIANT_BOOL, Tristate, ITextStream**)
    PM_NOT_IMPLEMENTED(GetStandardStream, StandardStreamTypes, VARIANT_BOOL, ITextStream**)
    PM_NOT_IMPLEMENTED(GetFileVersion, BSTR, BSTR*)
};

// Serves Item and Count.
struct PartialWshCollection : IWshCollection {
    PM_NOT_IMPLEMENTED(get_length, LONG*)
    PM_NOT_IMPLEMENTED(_NewEnum, IUnknown**)
};

// Serves EnumNetworkDrives.
struct PartialWshNetwork : IWshNetwork2 {
    PM_NOT_IMPLEMENTED(get_UserDomain, BSTR*)
    PM_NOT_IMPLEMENTED(get_UserName, BSTR*)
    PM_NOT_IMPLEMENTED(get_UserProfile, BSTR*)
    PM_NOT_IMPLEMENTED(get_ComputerName, BSTR*)
    PM_NOT_IMPLEMENTED(get_Organization, BSTR*)
    PM_NOT_IMPLEMENTED(get_Site, BSTR*)
    PM_NOT_IMPLEMENTED(MapNetworkDrive, BSTR, BSTR, VARIANT*, VARIANT*, VARIANT*)
    PM_NOT_IMPLEMENTED(RemoveNetworkDrive, BSTR, VARIANT*, VARIANT*)
    PM_NOT_IMPLEMENTED(AddPrinterConnection, BSTR, BSTR, VARIANT*, VARIANT*, VARIANT*)
    PM_NOT_IMPLEMENTED(RemovePrinterConnection, BSTR, VARIANT*, VARIANT*)
    PM_NOT_IMPLEMENTED(EnumPrinterConnections, IWshCollection**)
    PM_NOT_IMPLEMENTED(SetDefaultPrinter, BSTR)
    PM_NOT_IMPLEMENTED(AddWindowsPrinterConnection, BSTR, BSTR, BSTR)
};

#undef PM_NOT_IMPLEMENTED
