// UNC paths on the stand-in network: \\server\share\rest is <network folder>/server/share/rest,
// every component matched without regard to case.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

enum class NetworkItemKind { file, folder };

struct ResolvedUncPath {
    std::filesystem::path disk;   // where it lies under the network folder
    std::filesystem::path share;  // the share's folder on disk; nothing below it may lead out of it
    std::u16string unc;           // \\server\share\... with every component spelled as the disk does
    std::u16string name;          // the last component, spelled as the disk does
    NetworkItemKind kind;
};

// The file or folder a UNC path names, or nothing when it names none. Never an error: a malformed
// path (not \\server\share..., an empty, "." or ".." component, a character that a name cannot hold,
// '/' included) names nothing, and so does anything reached through a symbolic link to a folder or
// through a link that leads out of its share. A trailing backslash asks for a folder.
std::optional<ResolvedUncPath> resolve_unc_path(std::u16string_view unc);
