// Whole names of a path found and replaced without regard to case, over whichever case mapping the
// platform's find_ignoring_case uses.
#include "platform/case_insensitive.h"

std::optional<TextMatch> find_whole_name(std::u16string_view text, std::u16string_view name, std::size_t from) {
    while (auto match = find_ignoring_case(text, name, from)) {
        std::size_t end = match->position + match->length;
        if (end == text.size() || text[end] == u'\\') return match;
        from = match->position + 1;
    }
    return std::nullopt;
}

std::u16string replace_whole_names(std::u16string_view text, std::u16string_view name,
                                   std::u16string_view replacement) {
    std::u16string result;
    std::size_t done = 0;
    while (auto match = find_whole_name(text, name, done)) {
        result.append(text.substr(done, match->position - done));
        result.append(replacement);
        done = match->position + match->length;
    }
    result.append(text.substr(done));
    return result;
}
