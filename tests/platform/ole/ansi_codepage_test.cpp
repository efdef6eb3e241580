// The ANSI code page answers by table; every character must get exactly the byte that decodes back
// to it, and no other character a byte.
#include "platform/ole/ansi_codepage.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

namespace pathmender::ole {
namespace {

TEST(AnsiCodePage, EveryCharacterMapsToTheByteThatDecodesToIt) {
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

TEST(AnsiCodePage, MapsCharactersLikeWindows1252) {
    struct Row {
        std::uint8_t byte;
        char16_t ch;
    };
    const Row rows[] = {
        {'A', u'A'}, {0x80, u'€'}, {0x8A, u'Š'}, {0x9F, u'Ÿ'}, {0xD1, u'Ñ'}, {0xFF, u'ÿ'},
        // The five bytes Windows-1252 leaves unassigned stand for the code point of the same value.
        {0x81, u'\u0081'}, {0x8D, u'\u008D'}, {0x8F, u'\u008F'}, {0x90, u'\u0090'}, {0x9D, u'\u009D'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.byte);
        EXPECT_EQ(ansi_to_char(row.byte), row.ch);
        EXPECT_EQ(char_to_ansi(row.ch), row.byte);
    }
}

TEST(AnsiCodePage, TextRoundTripsThroughBytes) {
    Bytes all(256);
    for (int b = 0; b < 256; ++b) all[b] = std::uint8_t(b);
    bool fitted = false;
    EXPECT_EQ(ansi_encode(ansi_decode(all), &fitted), all);
    EXPECT_TRUE(fitted);
    EXPECT_EQ(ansi_encode(u"\u20AC\u0080x", &fitted), (Bytes{0x80, '?', 'x'}));
    EXPECT_FALSE(fitted);
}

TEST(AnsiCodePage, TextEncodesAsItsCharactersDo) {
    std::u16string text;
    Bytes expected;
    for (std::uint32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        text.push_back(char16_t(c));
        expected.push_back(char_to_ansi(char16_t(c)).value_or(std::uint8_t('?')));
    }
    bool fitted = true;
    EXPECT_EQ(ansi_encode(text, &fitted), expected);
    EXPECT_FALSE(fitted);

    // A surrogate pair is one character, and one '?'; a lone surrogate is one too.
    EXPECT_EQ(ansi_encode(u"a\U0001F600b\xD800" u"c", &fitted), (Bytes{'a', '?', 'b', '?', 'c'}));
    EXPECT_FALSE(fitted);
    EXPECT_EQ(ansi_encode(std::u16string(u"\0\0x", 3), &fitted), (Bytes{0, 0, 'x'}));
    EXPECT_TRUE(fitted);
}

TEST(AnsiCodePage, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach) {
    struct Row {
        std::u16string text;
        std::string ansi;
    };
    const Row rows[] = {
        {u"C:\\Año\\€.xls", "C:\\A\xF1o\\\x80.xls"},
        {u"C:\\Данные\\x", "C:\\??????\\x"},
        {u"\\\\s\\\U0001F600.txt", "\\\\s\\?.txt"},      // a surrogate pair is one character
        {u"\u0080\u0098", "??"},                        // C1 controls that 1252 maps elsewhere
        {std::u16string(1, u'\xD800') + u"x", "?x"},    // a lone surrogate
    };
    for (const Row& row : rows) {
        const Bytes encoded = ansi_encode(row.text);
        EXPECT_EQ(std::string(encoded.begin(), encoded.end()), row.ansi);
    }
}

}  // namespace
}  // namespace pathmender::ole
