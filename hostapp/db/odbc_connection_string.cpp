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

// The pieces of a connection string, in order. head is a piece up to and with its '=' (a piece
// without a value: all of it, with its ';'); key is its name without blanks; more says whether
// a ';' and more follow a value.
struct Piece {
    std::u16string_view head, key, value;
    bool valued = false, more = false;
};

template <typename Visit>
void for_each_piece(std::u16string_view text, Visit visit) {
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t equals = text.find(u'=', at);
        std::size_t semicolon = text.find(u';', at);
        if (equals == std::u16string_view::npos || (semicolon != std::u16string_view::npos && semicolon < equals)) {
            std::size_t end = semicolon == std::u16string_view::npos ? text.size() : semicolon + 1;
            visit(Piece{text.substr(at, end - at), {}, {}, false, false});
            at = end;
            continue;
        }
        const std::size_t end = value_end(text, equals + 1);
        visit(Piece{text.substr(at, equals + 1 - at), trimmed(text.substr(at, equals - at)),
                    text.substr(equals + 1, end - equals - 1), true, end < text.size()});
        at = end + 1;
    }
}

}  // namespace

std::u16string redacted_connection_string(std::u16string_view text) {
    std::u16string out;
    for_each_piece(text, [&](const Piece& piece) {
        out += piece.head;
        if (!piece.valued) return;
        out += is_password_key(piece.key) ? std::u16string_view(u"***") : piece.value;
        if (piece.more) out.push_back(u';');
    });
    return out;
}

std::u16string server_and_database_of(std::u16string_view text) {
    static constexpr std::u16string_view kNaming[] = {u"DSN",  u"Server",   u"Servername", u"Host",
                                                      u"Port", u"Database", u"DBQ"};
    std::u16string out;
    for_each_piece(text, [&](const Piece& piece) {
        if (!piece.valued) return;
        for (std::u16string_view naming : kNaming)
            if (same_sql_name(piece.key, naming)) {
                if (!out.empty()) out.push_back(u';');
                out += naming;
                out.push_back(u'=');
                out += trimmed(piece.value);
            }
    });
    return out.empty() ? redacted_connection_string(text) : out;
}

std::optional<std::u16string> connection_attribute(std::u16string_view text, std::u16string_view key) {
    std::optional<std::u16string> found;
    for_each_piece(text, [&](const Piece& piece) {
        if (!piece.valued || found || !same_sql_name(piece.key, key)) return;
        std::u16string_view value = trimmed(piece.value);
        if (value.size() >= 2 && value.front() == u'{' && value.back() == u'}') {
            std::u16string unbraced;
            for (std::size_t at = 1; at + 1 < value.size(); ++at) {
                unbraced.push_back(value[at]);
                if (value[at] == u'}' && at + 2 < value.size() && value[at + 1] == u'}') ++at;
            }
            found = std::move(unbraced);
        } else {
            found = std::u16string(value);
        }
    });
    return found;
}

std::u16string with_attribute(std::u16string_view text, std::u16string_view key, std::u16string_view value) {
    std::u16string out;
    for_each_piece(text, [&](const Piece& piece) {
        if (piece.valued && same_sql_name(piece.key, key)) return;
        out += piece.head;
        if (!piece.valued) return;
        out += piece.value;
        out.push_back(u';');
    });
    if (!out.empty() && out.back() != u';') out.push_back(u';');
    return out + std::u16string(key) + u"=" + std::u16string(value) + u";";
}
