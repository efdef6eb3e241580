#include "platform/ansi_codepage.h"

#include <array>

namespace {

// 0x80..0x9F; the rest of the byte values are the code points of the same value.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char16_t ansi_to_char(std::uint8_t byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : char16_t(byte);
}

std::optional<std::uint8_t> char_to_ansi(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return std::uint8_t(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return std::uint8_t(0x80 + i);
    return std::nullopt;
}

std::u16string ansi_decode(std::span<const std::uint8_t> bytes) {
    std::u16string out(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = ansi_to_char(bytes[i]);
    return out;
}

std::vector<std::uint8_t> ansi_encode(std::u16string_view text, bool* ok) {
    std::vector<std::uint8_t> out(text.size());
    bool all = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = char_to_ansi(text[i]);
        all = all && byte.has_value();
        out[i] = byte.value_or(std::uint8_t('?'));
    }
    if (ok) *ok = all;
    return out;
}
