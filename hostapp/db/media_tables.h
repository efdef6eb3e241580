// The host's eleven media tables, in the order the plug-in walks them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::array<std::u16string_view, 11> kMediaTables = {
    u"AP7VENDORMEDIA",   u"AR7CLIENTMEDIA",   u"EA7EDUCATIONRECOMMENDATIONMEDIA",
    u"EA7FACULTYMEDIA",  u"EA7INDIVIDUALMEDIA", u"EA7RECORDMEDIA",
    u"FAASSETMEDIA",     u"GL7PROJECTMEDIA",  u"PY7EMPLOYEEMEDIA",
    u"PY7EVENTMEDIA",    u"PY7POSITIONSMEDIA",
};

// Whether two names are one to SQL: ASCII letters without regard to case, all else exactly.
bool same_sql_name(std::u16string_view a, std::u16string_view b);
bool same_sql_name(std::string_view a, std::string_view b);

// The media table a name stands for (letter case ignored, an owner prefix "dbo." allowed), as
// the host spells it; nothing for any other name.
std::optional<std::u16string_view> find_media_table(std::u16string_view name);
