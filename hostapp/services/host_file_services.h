// IHostFileServices: the host's path rules, temporary file names and the FileSystemObject.
//
// Path rule: the folder part of a path is everything up to and including its last separator
// ('\' or '/'), the file part everything after it; a path without a separator has an empty
// folder part. FolderForFile leaves a folder that is empty or already ends in a separator as it
// is and appends one otherwise, so FolderForFile(SplitPath(p, true)) + SplitPath(p, false) == p
// for every path p.
#pragma once

#include <string>
#include <string_view>

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/services/host_environment.h"

class HostFileServices final : public ComObject<HostFileServices, IHostFileServices> {
public:
    explicit HostFileServices(HostEnvironmentRef environment) : environment_(std::move(environment)) {}

    HRESULT STDMETHODCALLTYPE FolderForFile(BSTR folder, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE SplitPath(BSTR path, VARIANT_BOOL folder_part, BSTR* result) override;
    // A path in location that names no file yet: "PM", the number in hex, '_', 64 random bits in
    // hex, then the extension. location must be an existing folder (a local path).
    HRESULT STDMETHODCALLTYPE MakeTempFileName(BSTR* location, BSTR* extension, LONG* number, BSTR* path) override;
    // The network's FileSystemObject; the run watcher, if any, hears of folders it cannot list.
    HRESULT STDMETHODCALLTYPE get_FileSystem(IDispatch** file_system) override;

private:
    HostEnvironmentRef environment_;
};

std::u16string folder_for_file(std::u16string_view folder);
// The folder part (with its separator) or the file part of path.
std::u16string split_path(std::u16string_view path, bool folder_part);
