// The stand-in network: a folder whose <server>/<share>/<rest> is \\server\share\rest, and the
// workstation's network connections (its "mapped drives"), one a line in a text file.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The network folder. Until set, it comes from the environment variable PATHMENDER_NETWORK; when
// neither gives one, it is empty and no UNC path resolves. Setting an empty path returns to the default.
std::filesystem::path network_root();
void set_network_root(std::filesystem::path root);

// The connections file. Until set, it comes from PATHMENDER_DRIVES, else <network folder>/drives.txt.
// Setting an empty path returns to those defaults.
std::filesystem::path connections_file();
void set_connections_file(std::filesystem::path file);

struct NetworkConnection {
    std::u16string local_name;   // "Z:", or empty for a connection without a drive letter
    std::u16string remote_name;  // \\server\share
};

// The connections of the file, in its order. Each line reads "LOCAL REMOTE": LOCAL a drive letter
// with a colon, or "-" for none; REMOTE a UNC share name. Blank lines and lines starting with '#'
// are skipped. A malformed line raises error 5 naming the file and the line. The default file
// missing means no connections; a file that was named explicitly must exist (error 53).
// In the stand-in network object for Wine (the Windows build's WshNetworkStandIn.dll) the file
// without an argument is the one the prefix's registry names (tools/wine-network), and nothing
// else of this header but these two and NetworkConnection is there.
std::vector<NetworkConnection> read_network_connections();
std::vector<NetworkConnection> read_network_connections(const std::filesystem::path& file);

// Whether a name could be a file or folder name on the home platform (none of \ / : * ? " < > |,
// no control character, no lone surrogate): a file whose name on disk could not is never listed.
bool is_valid_network_name(std::u16string_view name);

// Told of every folder of the network that a FileSystemObject could not list for its caller, and
// why: for a program that says where a run stopped (the page's message names only the error).
class ListingWatcher {
public:
    virtual ~ListingWatcher() = default;
    // folder: on disk. Called before the error reaches the caller.
    virtual void folder_not_listed(const std::filesystem::path& folder, std::u16string_view description) = 0;
};
