#include "network_folder.h"

#include "com/error.h"
#include "folder_listing.h"
#include "network_file_collection.h"
#include "network_folder_collection.h"

namespace {

// The folder's members; a folder that cannot be listed is told to the watcher before it raises.
std::vector<NetworkFolderEntry> members_of(const NetworkFolderPlace& place) {
    try {
        return list_network_folder(place.disk, place.share);
    } catch (const ComError& e) {
        if (place.watcher) place.watcher->folder_not_listed(place.disk, e.description);
        throw;
    }
}

}  // namespace

NetworkFolder::NetworkFolder(NetworkFolderPlace place) : place_(std::move(place)) {}

HRESULT STDMETHODCALLTYPE NetworkFolder::get_Path(BSTR* path)
try {
    if (!path) return E_POINTER;
    *path = nullptr;
    *path = make_bstr(place_.unc);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE NetworkFolder::get_Name(BSTR* name)
try {
    if (!name) return E_POINTER;
    *name = nullptr;
    *name = make_bstr(place_.name);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE NetworkFolder::get_SubFolders(IFolderCollection** folders)
try {
    if (!folders) return E_POINTER;
    *folders = nullptr;
    std::vector<NetworkFolderPlace> members;
    for (NetworkFolderEntry& entry : members_of(place_)) {
        if (entry.kind != NetworkItemKind::folder) continue;
        members.push_back({place_.disk / entry.disk_name, place_.share, place_.unc + u'\\' + entry.name,
                           std::move(entry.name), place_.watcher});
    }
    *folders = make_com<NetworkFolderCollection>(std::move(members)).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE NetworkFolder::get_Files(IFileCollection** files)
try {
    if (!files) return E_POINTER;
    *files = nullptr;
    std::vector<NetworkFileCollection::Member> members;
    for (NetworkFolderEntry& entry : members_of(place_)) {
        if (entry.kind != NetworkItemKind::file) continue;
        members.push_back({place_.unc + u'\\' + entry.name, std::move(entry.name)});
    }
    *files = make_com<NetworkFileCollection>(std::move(members)).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
