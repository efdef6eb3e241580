#include "ansi_codepage.h"

#include <array>

namespace pathmender::ole {

namespace {

// Bytes 0x80..0x9F; every other byte is the code point of the same value.
constexpr std::array<char16_t, 32> kHighControlRange = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};

bool is_high_surrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool is_low_surrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

}  // namespace

char16_t ansi_to_char16(std::uint8_t byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControlRange[byte - 0x80];
    return byte;
}

std::optional<std::uint8_t> char16_to_ansi(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<std::uint8_t>(ch);
    for (std::size_t i = 0; i < kHighControlRange.size(); ++i)
        if (kHighControlRange[i] == ch)
            return static_cast<std::uint8_t>(0x80 + i);
    return std::nullopt;
}

std::u16string decode_ansi(ByteView bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (std::uint8_t byte : bytes)
        text.push_back(ansi_to_char16(byte));
    return text;
}

Bytes encode_ansi(std::u16string_view text) {
    Bytes bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (is_high_surrogate(text[i]) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) {
            bytes.push_back('?');  // one character beyond the code page, so one '?'
            ++i;
            continue;
        }
        bytes.push_back(char16_to_ansi(text[i]).value_or('?'));
    }
    return bytes;
}

}  // namespace pathmender::ole
