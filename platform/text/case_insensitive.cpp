// Text compared without regard to case through ICU: full case folding, code point order.
#include "platform/case_insensitive.h"

#include <limits>
#include <stdexcept>
#include <vector>

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace {

const UChar* icu_text(std::u16string_view text) { return reinterpret_cast<const UChar*>(text.data()); }

int32_t icu_length(std::u16string_view text) {
    if (text.size() > std::size_t(std::numeric_limits<int32_t>::max()))
        throw std::length_error("text too long to compare");
    return int32_t(text.size());
}

int case_compare(std::u16string_view a, std::u16string_view b) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t result = u_strCaseCompare(icu_text(a), icu_length(a), icu_text(b), icu_length(b),
                                      U_FOLD_CASE_DEFAULT | U_COMPARE_CODE_POINT_ORDER, &status);
    if (U_FAILURE(status)) throw std::runtime_error(std::string("case comparison failed: ") + u_errorName(status));
    return result;
}

// The code point at i (a lone surrogate stands for itself) and the index after it.
UChar32 next_code_point(std::u16string_view text, std::size_t& i) {
    UChar32 c;
    int32_t at = int32_t(i);
    U16_NEXT(text.data(), at, int32_t(text.size()), c);
    i = std::size_t(at);
    return c;
}

}  // namespace

bool equal_ignoring_case(std::u16string_view a, std::u16string_view b) { return case_compare(a, b) == 0; }

std::u16string case_fold_key(std::u16string_view text) {
    if (text.empty()) return {};
    std::u16string folded(text.size() + 8, u'\0');
    for (;;) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t needed = u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), int32_t(folded.size()),
                                       icu_text(text), icu_length(text), U_FOLD_CASE_DEFAULT, &status);
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            folded.assign(std::size_t(needed), u'\0');
            continue;
        }
        if (U_FAILURE(status)) throw std::runtime_error(std::string("case folding failed: ") + u_errorName(status));
        folded.resize(std::size_t(needed));
        return folded;
    }
}

std::optional<TextMatch> find_ignoring_case(std::u16string_view text, std::u16string_view needle,
                                            std::size_t from) {
    if (needle.empty()) return std::nullopt;
    std::vector<UChar32> folded_needle;
    for (std::size_t i = 0; i < needle.size();)
        folded_needle.push_back(u_foldCase(next_code_point(needle, i), U_FOLD_CASE_DEFAULT));

    for (std::size_t start = from; start < text.size();) {
        std::size_t at = start;
        std::size_t matched = 0;
        while (matched < folded_needle.size() && at < text.size() &&
               u_foldCase(next_code_point(text, at), U_FOLD_CASE_DEFAULT) == folded_needle[matched])
            ++matched;
        if (matched == folded_needle.size()) return TextMatch{start, at - start};
        next_code_point(text, start);
    }
    return std::nullopt;
}

int compare_for_listing(std::u16string_view a, std::u16string_view b) {
    if (int folded = case_compare(a, b)) return folded < 0 ? -1 : 1;
    int32_t exact = u_strCompare(icu_text(a), icu_length(a), icu_text(b), icu_length(b), true);
    return exact < 0 ? -1 : exact > 0 ? 1 : 0;
}
