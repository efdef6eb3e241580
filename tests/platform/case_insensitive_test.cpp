#include "platform/case_insensitive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "com/utf.h"
#include "platform/support/case_insensitive_cases.h"

namespace {

using namespace case_cases;

TEST(CaseInsensitive, EqualityAndFoldKeysAgree) {
    for (const auto& c : kEquality) {
        SCOPED_TRACE(utf8(c.a) + " / " + utf8(c.b));
        EXPECT_EQ(equal_ignoring_case(c.a, c.b), c.expected());
        EXPECT_EQ(case_fold_key(c.a) == case_fold_key(c.b), c.expected());
    }
}

void expect_match(std::optional<TextMatch> found, std::optional<TextMatch> expected) {
    ASSERT_EQ(found.has_value(), expected.has_value());
    if (found) {
        EXPECT_EQ(found->position, expected->position);
        EXPECT_EQ(found->length, expected->length);
    }
}

TEST(CaseInsensitive, FindGivesPositionsInTheOriginalText) {
    for (const auto& c : kFind) {
        SCOPED_TRACE(utf8(c.text) + " / " + utf8(c.needle));
        expect_match(find_ignoring_case(c.text, c.needle, c.from), c.expected());
    }
}

TEST(CaseInsensitive, WholeNamesOnly) {
    for (const auto& c : kWholeName) {
        SCOPED_TRACE(utf8(c.text) + " / " + utf8(c.needle));
        expect_match(find_whole_name(c.text, c.needle, c.from), c.expected());
    }
}

TEST(CaseInsensitive, ListingOrderIgnoresCaseAndIsTotal) {
    std::vector<std::u16string> names(std::begin(kListingInput), std::end(kListingInput));
    std::sort(names.begin(), names.end(), listing_order_less);
    EXPECT_EQ(names, (std::vector<std::u16string>(std::begin(kListingOrder), std::end(kListingOrder))));
    EXPECT_EQ(compare_for_listing(u"Same", u"Same"), 0);
}

}  // namespace
