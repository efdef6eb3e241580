#include "platform/case_insensitive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "com/utf.h"

namespace {

struct EqualityCase {
    std::u16string a;
    std::u16string b;
    bool equal;
};

TEST(CaseInsensitive, EqualityAndFoldKeysAgree) {
    const EqualityCase cases[] = {
        {u"a.jpg", u"A.JPG", true},
        {u"ÄRGER.DOC", u"ärger.doc", true},
        {u"STRASSE", u"straße", true},        // full folding
        {u"ΣΊΣΥΦΟΣ", u"σίσυφος", true},       // final sigma folds like sigma
        {u"\U00010400", u"\U00010428", true},  // outside the basic plane
        {u"a.jpg", u"a.jpeg", false},
        {u"a", u"a\u0301", false},            // no normalisation, as the file system does none
        {u"", u"", true},
        {u"", u" ", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.a) + " / " + utf8(c.b));
        EXPECT_EQ(equal_ignoring_case(c.a, c.b), c.equal);
        EXPECT_EQ(case_fold_key(c.a) == case_fold_key(c.b), c.equal);
    }
}

struct FindCase {
    std::u16string text;
    std::u16string needle;
    std::size_t from;
    std::optional<TextMatch> expected;
};

TEST(CaseInsensitive, FindGivesPositionsInTheOriginalText) {
    const std::size_t none = std::u16string::npos;
    const FindCase cases[] = {
        {u"\\\\OLDSERVER\\Media", u"\\\\oldserver", 0, TextMatch{0, 11}},
        {u"x\\\\Old\\y\\\\OLD", u"\\\\old", 2, TextMatch{8, 5}},
        {u"Mein ÄRGER.doc", u"ärger", 0, TextMatch{5, 5}},
        {u"a\U00010400b", u"\U00010428B", 0, TextMatch{1, 3}},  // a surrogate pair counts as two units
        {u"abc", u"", 0, std::nullopt},
        {u"abc", u"abcd", 0, std::nullopt},
        {u"abc", u"c", 3, std::nullopt},
        {u"abc", u"c", none, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.text) + " / " + utf8(c.needle));
        auto found = find_ignoring_case(c.text, c.needle, c.from);
        ASSERT_EQ(found.has_value(), c.expected.has_value());
        if (found) {
            EXPECT_EQ(found->position, c.expected->position);
            EXPECT_EQ(found->length, c.expected->length);
        }
    }
}

TEST(CaseInsensitive, ListingOrderIgnoresCaseAndIsTotal) {
    std::vector<std::u16string> names{u"b", u"ä", u"a", u"B", u"Z", u"A", u"a1"};
    std::sort(names.begin(), names.end(), listing_order_less);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"A", u"a", u"a1", u"B", u"b", u"Z", u"ä"}));
    EXPECT_EQ(compare_for_listing(u"Same", u"Same"), 0);
}

}  // namespace
