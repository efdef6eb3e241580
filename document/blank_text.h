// Blanks as the page's checks see them: spaces only, as the platform's Trim removes them.
#pragma once

#include <string_view>

inline std::u16string_view trim_blanks(std::u16string_view text) {
    auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}
