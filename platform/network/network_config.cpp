#include "platform/network.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>

#include "com/error.h"
#include "com/utf.h"
#include "platform/os_errors.h"

namespace {

struct NetworkSettings {
    std::mutex lock;
    std::optional<std::filesystem::path> root;
    std::optional<std::filesystem::path> connections;
};

NetworkSettings& settings() {
    static NetworkSettings s;
    return s;
}

std::optional<std::filesystem::path> from_environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::filesystem::path(value);
}

std::filesystem::path root_locked(NetworkSettings& s) {
    if (s.root) return *s.root;
    return from_environment("PATHMENDER_NETWORK").value_or(std::filesystem::path());
}

// The file to read, and whether somebody named it (rather than falling back to the default).
std::pair<std::filesystem::path, bool> connections_file_locked(NetworkSettings& s) {
    if (s.connections) return {*s.connections, true};
    if (auto named = from_environment("PATHMENDER_DRIVES")) return {*named, true};
    std::filesystem::path root = root_locked(s);
    if (root.empty()) return {{}, false};
    return {root / "drives.txt", false};
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

bool is_drive_name(std::string_view local) {
    return local.size() == 2 && local[1] == ':' &&
           ((local[0] >= 'A' && local[0] <= 'Z') || (local[0] >= 'a' && local[0] <= 'z'));
}

// \\server\share: two non-empty names after the leading pair, none of the characters a UNC name refuses.
bool is_share_name(std::string_view remote) {
    if (remote.size() < 5 || remote.substr(0, 2) != "\\\\") return false;
    std::string_view rest = remote.substr(2);
    std::size_t separator = rest.find('\\');
    if (separator == std::string_view::npos || separator == 0 || separator + 1 == rest.size()) return false;
    if (rest.find('\\', separator + 1) != std::string_view::npos) return false;
    for (char c : rest)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("/:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    return true;
}

[[noreturn]] void malformed(const std::filesystem::path& file, std::size_t line, std::string_view why) {
    raise_error(RuntimeError::InvalidProcedureCall, utf16("Network connections file " + file.string() + ", line " +
                                                          std::to_string(line) + ": " + std::string(why)));
}

}  // namespace

std::filesystem::path network_root() {
    NetworkSettings& s = settings();
    std::lock_guard guard(s.lock);
    return root_locked(s);
}

void set_network_root(std::filesystem::path root) {
    NetworkSettings& s = settings();
    std::lock_guard guard(s.lock);
    if (root.empty()) s.root.reset();
    else s.root = std::move(root);
}

std::filesystem::path connections_file() {
    NetworkSettings& s = settings();
    std::lock_guard guard(s.lock);
    return connections_file_locked(s).first;
}

void set_connections_file(std::filesystem::path file) {
    NetworkSettings& s = settings();
    std::lock_guard guard(s.lock);
    if (file.empty()) s.connections.reset();
    else s.connections = std::move(file);
}

std::vector<NetworkConnection> read_network_connections() {
    std::pair<std::filesystem::path, bool> file;
    {
        NetworkSettings& s = settings();
        std::lock_guard guard(s.lock);
        file = connections_file_locked(s);
    }
    // A workstation without the default file simply has no network connections.
    if (!file.second) {
        std::error_code ignored;
        if (file.first.empty() || !std::filesystem::exists(file.first, ignored)) return {};
    }
    return read_network_connections(file.first);
}

std::vector<NetworkConnection> read_network_connections(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        int err = errno;
        raise_error(run_time_error_for_os_error(err ? err : ENOENT),
                    utf16("Cannot read the network connections file " + file.string()));
    }
    std::vector<NetworkConnection> connections;
    std::set<char> letters;
    std::string raw;
    for (std::size_t number = 1; std::getline(in, raw); ++number) {
        std::string_view line = trim(raw);
        if (line.empty() || line.front() == '#') continue;
        std::size_t gap = line.find_first_of(" \t");
        if (gap == std::string_view::npos) malformed(file, number, "expected a local name and a remote name");
        std::string_view local = line.substr(0, gap);
        std::string_view remote = trim(line.substr(gap));
        if (local != "-" && !is_drive_name(local))
            malformed(file, number, "the local name must be a drive letter with a colon (Z:) or '-'");
        if (!is_share_name(remote))
            malformed(file, number, "the remote name must be a share name such as \\\\server\\share");
        if (local != "-") {
            if (!letters.insert(char(local[0] & ~0x20)).second) malformed(file, number, "the drive letter is already connected");
        }
        // The workstation reports drive letters in capitals.
        std::u16string local_name = local == "-" ? std::u16string() : std::u16string{char16_t(local[0] & ~0x20), u':'};
        connections.push_back({std::move(local_name), utf16(remote)});
    }
    if (in.bad()) raise_os_error(EIO);
    return connections;
}
