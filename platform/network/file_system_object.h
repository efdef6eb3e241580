// The FileSystemObject over the network folder.
#pragma once

#include "com/object.h"
#include "platform/network.h"
#include "platform/partial_interfaces.h"

// Answers IFileSystem3, its default interface, and IFileSystem, as the platform's object does.
class FileSystemObject final : public ComObject<FileSystemObject, PartialFileSystem> {
public:
    // watcher, where given, is told of every folder handed out here that cannot be listed.
    explicit FileSystemObject(ListingWatcher* watcher = nullptr) : watcher_(watcher) {}

    // Both answer false for anything that does not resolve, a malformed path included; never an error.
    HRESULT STDMETHODCALLTYPE FileExists(BSTR path, VARIANT_BOOL* exists) override;
    HRESULT STDMETHODCALLTYPE FolderExists(BSTR path, VARIANT_BOOL* exists) override;
    // 76 "Path not found" when path names no folder.
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, IFolder** folder) override;

    void* query_extra(REFIID riid) { return riid == IFileSystem::iid ? static_cast<IFileSystem*>(this) : nullptr; }

private:
    ListingWatcher* watcher_;
};
