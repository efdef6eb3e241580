// The FileSystemObject over the network folder.
#pragma once

#include "com/object.h"
#include "platform/file_system.h"

class FileSystemObject final : public ComObject<FileSystemObject, IFileSystem> {
public:
    // Both answer false for anything that does not resolve, a malformed path included; never an error.
    HRESULT STDMETHODCALLTYPE FileExists(BSTR path, VARIANT_BOOL* exists) override;
    HRESULT STDMETHODCALLTYPE FolderExists(BSTR path, VARIANT_BOOL* exists) override;
    // 76 "Path not found" when path names no folder.
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, IFolder** folder) override;
};
