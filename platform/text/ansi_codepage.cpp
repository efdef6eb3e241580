#include "platform/ansi_codepage.h"

#include <array>

#include "windows_1252.h"
#if PATHMENDER_ANSI_SSSE3
#include "ansi_codepage_ssse3.h"
#endif

namespace {

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

#if PATHMENDER_ANSI_SSSE3
bool vectors_available() {
    static const bool available = __builtin_cpu_supports("ssse3");
    return available;
}
#endif

// Converts what the vector code left over (all of it without that code), from position `from`.
void decode_rest(std::span<const std::uint8_t> bytes, std::size_t from, char16_t* out) {
    for (std::size_t i = from; i < bytes.size(); ++i) out[i] = kToChar[bytes[i]];
}
bool encode_rest(std::u16string_view text, std::size_t from, std::uint8_t* out) {
    bool missing = false;
    for (std::size_t i = from; i < text.size(); ++i) {
        const char16_t c = text[i];
        const std::uint8_t byte = table_byte(c);
        out[i] = byte;
        missing |= (byte == 0) & (c != 0);
    }
    return !missing;
}

}  // namespace

char16_t ansi_to_char(std::uint8_t byte) { return kToChar[byte]; }

std::optional<std::uint8_t> char_to_ansi(char16_t c) {
    if (c == 0) return std::uint8_t(0);
    if (const std::uint8_t byte = table_byte(c)) return byte;
    return std::nullopt;
}

std::u16string ansi_decode(std::span<const std::uint8_t> bytes) {
    std::u16string out(bytes.size(), u'\0');
    std::size_t done = 0;
#if PATHMENDER_ANSI_SSSE3
    if (vectors_available()) {
        ansi_vector::decode(bytes.data(), bytes.size(), out.data());
        done = bytes.size() - bytes.size() % 16;
    }
#endif
    decode_rest(bytes, done, out.data());
    return out;
}

std::vector<std::uint8_t> ansi_encode(std::u16string_view text, bool* ok) {
    std::vector<std::uint8_t> out(text.size());
    // A first pass for the usual case, where every character fits: stored objects come through
    // here whole.
    std::size_t done = 0;
    bool fitted = true;
#if PATHMENDER_ANSI_SSSE3
    if (vectors_available()) {
        fitted = ansi_vector::encode(text.data(), text.size(), out.data());
        done = text.size() - text.size() % 16;
    }
#endif
    const bool rest_fitted = encode_rest(text, done, out.data());
    fitted = fitted && rest_fitted;
    if (ok) *ok = fitted;
    if (fitted) return out;

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
