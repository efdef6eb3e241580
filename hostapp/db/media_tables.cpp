#include "hostapp/db/media_tables.h"

namespace {

char16_t ascii_upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

bool equal_ignoring_case(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
    return true;
}

}  // namespace

std::optional<std::u16string_view> find_media_table(std::u16string_view name) {
    constexpr std::u16string_view owner = u"dbo.";
    if (name.size() > owner.size() && equal_ignoring_case(name.substr(0, owner.size()), owner))
        name.remove_prefix(owner.size());
    for (std::u16string_view table : kMediaTables)
        if (equal_ignoring_case(name, table)) return table;
    return std::nullopt;
}
