// The reader of the workstation's connections file, one connection a line: for the stand-in
// network here and for the stand-in network object under Wine alike.
#include "platform/network.h"

#include <cerrno>
#include <fstream>
#include <set>
#include <system_error>

#include "com/error.h"
#include "com/path_text.h"
#include "com/utf.h"
#include "platform/os_errors.h"

namespace {

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
    raise_error(RuntimeError::InvalidProcedureCall, u"Network connections file " + path_text(file) + u", line " +
                                                        utf16(std::to_string(line) + ": " + std::string(why)));
}

}  // namespace

std::vector<NetworkConnection> read_network_connections(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        const std::error_code error(errno ? errno : ENOENT, std::generic_category());
        raise_error(run_time_error_for_os_error(error), u"Cannot read the network connections file " + path_text(file));
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
    if (in.bad()) raise_os_error(std::error_code(EIO, std::generic_category()));
    return connections;
}
