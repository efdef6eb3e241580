#include "document/server_name.h"

#include "platform/case_insensitive.h"

bool NamesServer(std::u16string_view text, std::u16string_view server) {
    return find_whole_name(text, server, 0).has_value();
}

std::u16string ReplaceServerName(std::u16string_view text, std::u16string_view old_server,
                                 std::u16string_view new_server) {
    return replace_whole_names(text, old_server, new_server);
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
