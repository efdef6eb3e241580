// The ANSI code page answers by table; every character must get exactly the byte that decodes back
// to it, and no other character a byte.
#include "platform/ansi_codepage.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(AnsiTable, EveryCharacterMapsToTheByteThatDecodesToIt) {
    std::map<char16_t, std::uint8_t> bytes_of;
    for (int b = 0; b < 256; ++b) bytes_of[ansi_to_char(std::uint8_t(b))] = std::uint8_t(b);
    ASSERT_EQ(bytes_of.size(), 256u);  // the code page is one to one
    for (std::uint32_t c = 0; c <= 0xFFFF; ++c) {
        auto expected = bytes_of.find(char16_t(c));
        std::optional<std::uint8_t> byte = char_to_ansi(char16_t(c));
        if (expected == bytes_of.end()) {
            EXPECT_FALSE(byte) << "U+" << std::hex << c;
        } else {
            ASSERT_TRUE(byte) << "U+" << std::hex << c;
            EXPECT_EQ(*byte, expected->second) << "U+" << std::hex << c;
        }
    }
}

TEST(AnsiTable, TextRoundTripsThroughBytes) {
    std::vector<std::uint8_t> all(256);
    for (int b = 0; b < 256; ++b) all[b] = std::uint8_t(b);
    bool fitted = false;
    EXPECT_EQ(ansi_encode(ansi_decode(all), &fitted), all);
    EXPECT_TRUE(fitted);
    EXPECT_EQ(ansi_encode(u"\u20AC\u0080x", &fitted), (std::vector<std::uint8_t>{0x80, '?', 'x'}));
    EXPECT_FALSE(fitted);
}

TEST(AnsiTable, TextEncodesAsItsCharactersDo) {
    std::u16string text;
    std::vector<std::uint8_t> expected;
    for (std::uint32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        text.push_back(char16_t(c));
        expected.push_back(char_to_ansi(char16_t(c)).value_or(std::uint8_t('?')));
    }
    bool fitted = true;
    EXPECT_EQ(ansi_encode(text, &fitted), expected);
    EXPECT_FALSE(fitted);

    // A surrogate pair is one character, and one '?'; a lone surrogate is one too.
    EXPECT_EQ(ansi_encode(u"a\U0001F600b\xD800" u"c", &fitted), (std::vector<std::uint8_t>{'a', '?', 'b', '?', 'c'}));
    EXPECT_FALSE(fitted);
    EXPECT_EQ(ansi_encode(std::u16string(u"\0\0x", 3), &fitted), (std::vector<std::uint8_t>{0, 0, 'x'}));
    EXPECT_TRUE(fitted);
}

// Long texts are converted sixteen characters at a time, the rest one by one: every character must
// come out the same wherever it stands, and one that does not fit must be noticed wherever it stands.
TEST(AnsiTable, EveryCharacterConvertsAlikeAtEveryPlace) {
    std::vector<std::uint8_t> filler(40);
    for (std::size_t i = 0; i < filler.size(); ++i) filler[i] = std::uint8_t(0x75 + 7 * i);  // crosses 0x80..0x9F
    const std::u16string filler_text = ansi_decode(filler);
    for (std::uint32_t c = 1; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::optional<std::uint8_t> byte = char_to_ansi(char16_t(c));
        for (std::size_t at : {0u, 7u, 15u, 16u, 31u, 32u, 39u}) {
            std::u16string text = filler_text;
            text[at] = char16_t(c);
            std::vector<std::uint8_t> expected = filler;
            expected[at] = byte.value_or(std::uint8_t('?'));
            bool fitted = !byte;
            ASSERT_EQ(ansi_encode(text, &fitted), expected) << "U+" << std::hex << c << " at " << std::dec << at;
            ASSERT_EQ(fitted, byte.has_value()) << "U+" << std::hex << c << " at " << std::dec << at;
        }
    }
}

TEST(AnsiTable, BytesOfEveryLengthDecodeOneByOne) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t length = 0; length <= 300; ++length) {
        std::u16string expected;
        for (std::uint8_t b : bytes) expected.push_back(ansi_to_char(b));
        ASSERT_EQ(ansi_decode(bytes), expected) << length;
        ASSERT_EQ(ansi_encode(expected), bytes) << length;
        bytes.push_back(std::uint8_t(length * 37 + 11));
    }
}

}  // namespace
