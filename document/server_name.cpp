#include "document/server_name.h"

#include <optional>

#include "platform/case_insensitive.h"

namespace {

// The next occurrence of server at or after from that ends where the server name ends.
std::optional<TextMatch> find_server(std::u16string_view text, std::u16string_view server, std::size_t from) {
    while (auto match = find_ignoring_case(text, server, from)) {
        std::size_t end = match->position + match->length;
        if (end == text.size() || text[end] == u'\\') return match;
        from = match->position + 1;
    }
    return std::nullopt;
}

}  // namespace

bool NamesServer(std::u16string_view text, std::u16string_view server) {
    return find_server(text, server, 0).has_value();
}

std::u16string ReplaceServerName(std::u16string_view text, std::u16string_view old_server,
                                 std::u16string_view new_server) {
    std::u16string result;
    std::size_t done = 0;
    while (auto match = find_server(text, old_server, done)) {
        result.append(text.substr(done, match->position - done));
        result.append(new_server);
        done = match->position + match->length;
    }
    result.append(text.substr(done));
    return result;
}

std::u16string ExtractServerName(std::u16string_view path) {
    std::u16string name;
    for (std::size_t i = 0; i < path.size();) {
        if (path.substr(i, 2) == u"\\\\") {
            i += 2;
        } else {
            name.push_back(path[i]);
            ++i;
        }
    }
    const std::size_t separator = name.find(u'\\');
    if (separator != std::u16string::npos) name.resize(separator);
    return u"\\\\" + name;
}
