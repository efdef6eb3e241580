// The members of a network folder, as the FileSystemObject and the path resolution see them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/network.h"
#include "platform/unc_path.h"

struct NetworkFolderEntry {
    std::u16string name;
    std::filesystem::path disk_name;
    NetworkItemKind kind;
};

// Files and real folders of folder, in listing order (names without regard to case). Left out:
// symbolic links to folders (so a walk can never loop), links that lead out of share or dangle,
// anything but files and folders, and names the home platform could not spell. With no share
// (above the shares), links are left out altogether. A folder that cannot be listed raises the
// run-time error for the failure: 76 when it is gone, 70 when access is refused.
std::vector<NetworkFolderEntry> list_network_folder(const std::filesystem::path& folder,
                                                    const std::optional<std::filesystem::path>& share);

// What a member of folder is, by its name on disk; nothing for what the listing leaves out.
std::optional<NetworkItemKind> network_entry_kind(const std::filesystem::path& folder,
                                                  const std::filesystem::path& disk_name,
                                                  const std::optional<std::filesystem::path>& share);

// What relative names below root when every component is spelled exactly as on disk and none is
// a link: one look-up for the whole path. Nothing when that is not so (or the system cannot say),
// and the caller looks the components up one by one.
std::optional<NetworkItemKind> exact_path_kind(const std::filesystem::path& root, const std::filesystem::path& relative);
