// A folder of the network folder, as the FileSystemObject hands it out.
#pragma once

#include <filesystem>
#include <string>

#include "com/object.h"
#include "platform/network.h"
#include "platform/partial_interfaces.h"

struct NetworkFolderPlace {
    std::filesystem::path disk;   // the folder on disk
    std::filesystem::path share;  // its share's folder on disk
    std::u16string unc;           // \\server\share\..., spelled as the disk does
    std::u16string name;
    ListingWatcher* watcher = nullptr;  // told when the folder cannot be listed
};

class NetworkFolder final : public ComObject<NetworkFolder, PartialFolder> {
public:
    explicit NetworkFolder(NetworkFolderPlace place);

    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    // Both list the folder when asked, each in listing order; a folder that cannot be listed
    // raises 70 "Permission denied", one that is gone 76 "Path not found".
    HRESULT STDMETHODCALLTYPE get_SubFolders(IFolderCollection** folders) override;
    HRESULT STDMETHODCALLTYPE get_Files(IFileCollection** files) override;

private:
    NetworkFolderPlace place_;
};
