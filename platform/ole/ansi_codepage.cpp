#include "platform/ole/ansi_codepage.h"

#include <array>

namespace pathmender::ole {
namespace {

// The characters of bytes 0x80 to 0x9F; every other byte is the code point of the same value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> kToChar = [] {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char16_t(b);
    return table;
}();

// The byte of every character up to the highest the code page holds (U+2122); 0 where it holds
// none (U+0000 itself never reaches the table). One look-up a character: stored objects are
// converted byte by byte, and their payloads hold every byte value.
constexpr char16_t kHighestCharacter = 0x2122;
constexpr std::array<std::uint8_t, kHighestCharacter + 1> kToByte = [] {
    std::array<std::uint8_t, kHighestCharacter + 1> table{};
    for (int b = 1; b < 256; ++b) table[kToChar[b]] = std::uint8_t(b);
    return table;
}();

// The character's byte, or 0 where the code page holds none (and for U+0000 itself).
std::uint8_t table_byte(char16_t c) { return kToByte[c <= kHighestCharacter ? c : 0]; }

bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

char16_t ansi_to_char(std::uint8_t byte) { return kToChar[byte]; }

std::optional<std::uint8_t> char_to_ansi(char16_t c) {
    if (c == 0) return std::uint8_t(0);
    if (const std::uint8_t byte = table_byte(c)) return byte;
    return std::nullopt;
}

void ansi_decode_into(ByteView bytes, char16_t* out) {
    for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = kToChar[bytes[i]];
}

std::u16string ansi_decode(ByteView bytes) {
    std::u16string out(bytes.size(), u'\0');
    ansi_decode_into(bytes, out.data());
    return out;
}

Bytes ansi_encode(std::u16string_view text, bool* ok) {
    // A first pass without a branch a character, for the usual case where every character fits:
    // stored objects come through here whole.
    Bytes out(text.size());
    bool missing = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const std::uint8_t byte = table_byte(c);
        out[i] = byte;
        missing |= (byte == 0) & (c != 0);
    }
    if (ok) *ok = !missing;
    if (!missing) return out;

    // Some character has no byte: it becomes '?', and a surrogate pair is one character.
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const std::uint8_t byte = table_byte(c);
        if (byte != 0 || c == 0) {
            out[length++] = byte;
            continue;
        }
        if (is_high_surrogate(c) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) ++i;
        out[length++] = std::uint8_t('?');
    }
    out.resize(length);
    return out;
}

}  // namespace pathmender::ole
