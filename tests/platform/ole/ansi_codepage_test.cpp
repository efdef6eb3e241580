#include "ansi_codepage.h"

#include <gtest/gtest.h>

namespace pathmender::ole {
namespace {

TEST(AnsiCodePage, EveryByteDecodesAndEncodesBackToItself) {
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        EXPECT_EQ(char16_to_ansi(ansi_to_char16(static_cast<std::uint8_t>(byte))), byte);
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
        EXPECT_EQ(ansi_to_char16(row.byte), row.ch);
        EXPECT_EQ(char16_to_ansi(row.ch), row.byte);
    }
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
        const Bytes encoded = encode_ansi(row.text);
        EXPECT_EQ(std::string(encoded.begin(), encoded.end()), row.ansi);
    }
}

}  // namespace
}  // namespace pathmender::ole
