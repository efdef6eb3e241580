// Text compared without regard to case, as the home platform's user locale compares it. Here the
// comparison is full case folding (ICU); on Windows it is the system's ordinal case mapping, one
// UTF-16 unit to one, as the file system compares names there: "STRASSE" and "straße", "ς" and
// "Σ", and letters outside the basic plane are told apart there.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Equal without regard to case (here by full case folding: "STRASSE" equals "straße").
bool equal_ignoring_case(std::u16string_view a, std::u16string_view b);

// A key under which texts that are equal without regard to case collide (their full case folding).
std::u16string case_fold_key(std::u16string_view text);

// Where an occurrence lies in the text that was searched, in UTF-16 code units of that text.
struct TextMatch {
    std::size_t position;
    std::size_t length;
};

// The first occurrence of needle in text at or after from, without regard to case. Code points are
// folded one by one (simple folding), so the match maps back onto the original text; an empty
// needle has no occurrence.
std::optional<TextMatch> find_ignoring_case(std::u16string_view text, std::u16string_view needle,
                                            std::size_t from = 0);

// The first occurrence of name in text at or after from, without regard to case, that ends where
// a name of a path ends: at a backslash or the end of text. So \\Old is found in \\OLD\Media\a.doc
// and in \\old, never in \\OldServer\Media\a.doc.
std::optional<TextMatch> find_whole_name(std::u16string_view text, std::u16string_view name,
                                         std::size_t from = 0);

// text with every occurrence that find_whole_name finds of name replaced by replacement.
std::u16string replace_whole_names(std::u16string_view text, std::u16string_view name,
                                   std::u16string_view replacement);

// The order in which folder listings hand out names: without regard to case, ties broken by code
// point order so that names differing only in case still come out in one fixed order. (On Windows
// the mapping is to upper case, so "_" sorts after the letters there, before them here.)
int compare_for_listing(std::u16string_view a, std::u16string_view b);
inline bool listing_order_less(std::u16string_view a, std::u16string_view b) {
    return compare_for_listing(a, b) < 0;
}
