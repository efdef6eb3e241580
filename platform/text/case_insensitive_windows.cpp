// Text compared without regard to case through the system's ordinal case mapping: every UTF-16
// unit uppercased by the invariant table that CompareStringOrdinal and the file system use. The
// mapping keeps lengths, so positions in the mapped text are positions in the original.
#include "platform/case_insensitive.h"

#include <windows.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

namespace {

const wchar_t* wide(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }

int wide_length(std::u16string_view text) {
    if (text.size() > std::size_t(std::numeric_limits<int>::max())) throw std::length_error("text too long to compare");
    return int(text.size());
}

std::u16string upper(std::u16string_view text) {
    std::u16string mapped(text.size(), u'\0');
    if (text.empty()) return mapped;
    int made = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide(text), wide_length(text),
                               reinterpret_cast<wchar_t*>(mapped.data()), wide_length(mapped), nullptr, nullptr, 0);
    if (made != int(text.size())) throw std::runtime_error("case mapping failed: " + std::to_string(::GetLastError()));
    return mapped;
}

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Code point order over UTF-16: units from U+E000 up come before the surrogates that encode the
// code points above U+FFFF.
int code_point_compare(std::u16string_view a, std::u16string_view b) {
    auto rank = [](char16_t c) -> std::uint32_t { return c >= 0xE000 ? c - 0x800u : c >= 0xD800 ? c + 0x2000u : c; };
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i]) return rank(a[i]) < rank(b[i]) ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

bool equal_ignoring_case(std::u16string_view a, std::u16string_view b) {
    int result = ::CompareStringOrdinal(wide(a), wide_length(a), wide(b), wide_length(b), TRUE);
    if (result == 0) throw std::runtime_error("case comparison failed: " + std::to_string(::GetLastError()));
    return result == CSTR_EQUAL;
}

std::u16string case_fold_key(std::u16string_view text) { return upper(text); }

std::optional<TextMatch> find_ignoring_case(std::u16string_view text, std::u16string_view needle,
                                            std::size_t from) {
    if (needle.empty() || from >= text.size()) return std::nullopt;
    const std::u16string mapped_text = upper(text.substr(from));
    const std::u16string mapped_needle = upper(needle);
    for (std::size_t at = mapped_text.find(mapped_needle); at != std::u16string::npos;
         at = mapped_text.find(mapped_needle, at + 1)) {
        const std::size_t start = from + at, end = start + needle.size();
        // A match never starts or ends inside a surrogate pair.
        if (start > 0 && is_low_surrogate(text[start]) && is_high_surrogate(text[start - 1])) continue;
        if (end < text.size() && is_low_surrogate(text[end]) && is_high_surrogate(text[end - 1])) continue;
        return TextMatch{start, needle.size()};
    }
    return std::nullopt;
}

int compare_for_listing(std::u16string_view a, std::u16string_view b) {
    if (int mapped = code_point_compare(upper(a), upper(b))) return mapped;
    return code_point_compare(a, b);
}
