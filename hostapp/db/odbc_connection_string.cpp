#include "hostapp/db/odbc_connection_string.h"

#include "hostapp/db/media_tables.h"

namespace {

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

bool is_password_key(std::u16string_view key) {
    key = trimmed(key);
    return same_sql_name(key, u"PWD") || same_sql_name(key, u"Password");
}

// Where the value that starts at begin ends: at the next ';', or for a braced value past its
// closing brace ("}}" inside stands for one brace). A brace never closed runs to the end.
std::size_t value_end(std::u16string_view text, std::size_t begin) {
    std::size_t at = begin;
    while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) ++at;
    if (at < text.size() && text[at] == u'{') {
        for (++at; at < text.size(); ++at) {
            if (text[at] != u'}') continue;
            if (at + 1 < text.size() && text[at + 1] == u'}') {
                ++at;
                continue;
            }
            ++at;
            break;
        }
        if (at >= text.size()) return text.size();
    }
    std::size_t semicolon = text.find(u';', at);
    return semicolon == std::u16string_view::npos ? text.size() : semicolon;
}

}  // namespace

std::u16string redacted_connection_string(std::u16string_view text) {
    std::u16string out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t equals = text.find(u'=', at);
        std::size_t semicolon = text.find(u';', at);
        if (equals == std::u16string_view::npos || (semicolon != std::u16string_view::npos && semicolon < equals)) {
            // A piece without a value is kept as it stands.
            std::size_t end = semicolon == std::u16string_view::npos ? text.size() : semicolon + 1;
            out += text.substr(at, end - at);
            at = end;
            continue;
        }
        const std::size_t end = value_end(text, equals + 1);
        out += text.substr(at, equals + 1 - at);
        out += is_password_key(text.substr(at, equals - at)) ? std::u16string_view(u"***")
                                                             : text.substr(equals + 1, end - equals - 1);
        if (end < text.size()) out.push_back(u';');
        at = end + 1;
    }
    return out;
}
