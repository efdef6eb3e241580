#include "hostapp/db/media_tables.h"

namespace {

template <class Char>
bool same_ignoring_ascii_case(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    auto upper = [](Char c) { return c >= Char('a') && c <= Char('z') ? Char(c - 32) : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

}  // namespace

bool same_sql_name(std::u16string_view a, std::u16string_view b) { return same_ignoring_ascii_case(a, b); }
bool same_sql_name(std::string_view a, std::string_view b) { return same_ignoring_ascii_case(a, b); }

std::optional<std::u16string_view> find_media_table(std::u16string_view name) {
    constexpr std::u16string_view owner = u"dbo.";
    if (name.size() > owner.size() && same_sql_name(name.substr(0, owner.size()), owner))
        name.remove_prefix(owner.size());
    for (std::u16string_view table : kMediaTables)
        if (same_sql_name(name, table)) return table;
    return std::nullopt;
}
