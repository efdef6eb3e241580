// Comparison without regard to case, as rows that the Linux tests and the Windows check program
// both run. Here folding is full (ICU); on Windows it is the system's ordinal mapping, one UTF-16
// unit to one, so a few rows are equal here only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/case_insensitive.h"

namespace case_cases {

// What a row's expectation rests on: any case mapping; full folding, without which (on Windows)
// the texts differ and nothing is found; or full folding of letters outside the basic plane, which
// Windows' ordinal mapping tells apart and Wine's does not, so the Windows check leaves those rows out.
enum class Folding { Any, FullOnly, FullOutsideBasicPlane };

#ifdef _WIN32
inline constexpr bool kFullFolding = false;
#else
inline constexpr bool kFullFolding = true;
#endif

constexpr bool holds_here(Folding needs) { return needs == Folding::Any || kFullFolding; }
constexpr bool checked_here(Folding needs) { return needs != Folding::FullOutsideBasicPlane || kFullFolding; }

struct EqualityCase {
    std::u16string_view a;
    std::u16string_view b;
    bool equal;
    Folding needs = Folding::Any;

    bool checked() const { return checked_here(needs); }
    bool expected() const { return equal && holds_here(needs); }
};

inline constexpr EqualityCase kEquality[] = {
    {u"a.jpg", u"A.JPG", true},
    {u"\u00C4RGER.DOC", u"\u00E4rger.doc", true},
    {u"STRASSE", u"stra\u00DFe", true, Folding::FullOnly},
    {u"\u03A3\u038A\u03A3\u03A5\u03A6\u039F\u03A3", u"\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2", true,
     Folding::FullOnly},                                      // final sigma folds like sigma
    {u"\U00010400", u"\U00010428", true, Folding::FullOutsideBasicPlane},
    {u"a.jpg", u"a.jpeg", false},
    {u"a", u"a\u0301", false},                                // no normalisation: the file system does none
    {u"", u"", true},
    {u"", u" ", false},
};

struct FindCase {
    std::u16string_view text;
    std::u16string_view needle;
    std::size_t from;
    std::optional<TextMatch> match;
    Folding needs = Folding::Any;

    bool checked() const { return checked_here(needs); }
    std::optional<TextMatch> expected() const { return holds_here(needs) ? match : std::nullopt; }
};

inline constexpr FindCase kFind[] = {
    {u"\\\\OLDSERVER\\Media", u"\\\\oldserver", 0, TextMatch{0, 11}},
    {u"x\\\\Old\\y\\\\OLD", u"\\\\old", 2, TextMatch{8, 5}},
    {u"Mein \u00C4RGER.doc", u"\u00E4rger", 0, TextMatch{5, 5}},
    {u"a\U00010400b", u"\U00010428B", 0, TextMatch{1, 3}, Folding::FullOutsideBasicPlane},  // a pair: two units
    {u"abc", u"", 0, std::nullopt},
    {u"abc", u"abcd", 0, std::nullopt},
    {u"abc", u"c", 3, std::nullopt},
    {u"abc", u"c", std::u16string_view::npos, std::nullopt},
};

// A server or share name found only as a whole name of a path.
inline constexpr FindCase kWholeName[] = {
    {u"\\\\OLD\\Media\\a.doc", u"\\\\Old", 0, TextMatch{0, 5}},
    {u"\\\\old", u"\\\\Old", 0, TextMatch{0, 5}},
    {u"\\\\OldServer\\Media\\a.doc", u"\\\\Old", 0, std::nullopt},
};

// Names in the order folder listings hand them out.
inline constexpr std::u16string_view kListingInput[] = {u"b", u"\u00E4", u"a", u"B", u"Z", u"A", u"a1"};
inline constexpr std::u16string_view kListingOrder[] = {u"A", u"a", u"a1", u"B", u"b", u"Z", u"\u00E4"};

}  // namespace case_cases
