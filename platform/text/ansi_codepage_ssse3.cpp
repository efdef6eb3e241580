// Built with SSSE3 enabled; ansi_codepage.cpp calls it only where the processor has SSSE3.
#include "ansi_codepage_ssse3.h"

#include <array>

#include <tmmintrin.h>

#include "windows_1252.h"

namespace ansi_vector {
namespace {

using Table16 = std::array<std::uint8_t, 16>;

template <std::size_t N>
constexpr std::array<Table16, N / 16> in_sixteens(const std::array<std::uint8_t, N>& table) {
    std::array<Table16, N / 16> out{};
    for (std::size_t i = 0; i < N; ++i) out[i / 16][i % 16] = table[i];
    return out;
}

// The low and the high bytes of the characters of bytes 0x80 to 0x9F.
constexpr auto kHighLow = in_sixteens([] {
    std::array<std::uint8_t, 32> table{};
    for (int i = 0; i < 32; ++i) table[i] = std::uint8_t(kWindows1252High[i] & 0xFF);
    return table;
}());
constexpr auto kHighHigh = in_sixteens([] {
    std::array<std::uint8_t, 32> table{};
    for (int i = 0; i < 32; ++i) table[i] = std::uint8_t(kWindows1252High[i] >> 8);
    return table;
}());

// The 27 characters above U+00FF that the code page holds each get a slot of their own among 64
// from this hash; a slot holds its character's byte, or 0. Any other character lands on a slot
// whose byte decodes to something else, or on 0, and so is found out by decoding the byte back.
constexpr std::uint16_t kSlotMultiplier = 985;
constexpr unsigned slot_of(unsigned c) { return ((c * kSlotMultiplier) & 0xFFFF) >> 10; }
constexpr auto kSlotByte = in_sixteens([] {
    std::array<std::uint8_t, 64> table{};
    for (int i = 0; i < 32; ++i) {
        const char16_t c = kWindows1252High[i];
        if (c < 0x100) continue;
        if (table[slot_of(c)] != 0) throw "two characters share a slot";  // stops the build
        table[slot_of(c)] = std::uint8_t(0x80 + i);
    }
    return table;
}());

__m128i load(const Table16& table) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data())); }

// Where mask is set, when_set; elsewhere, otherwise.
__m128i select(__m128i mask, __m128i when_set, __m128i otherwise) {
    return _mm_or_si128(_mm_and_si128(mask, when_set), _mm_andnot_si128(mask, otherwise));
}

// table[index] for sixteen indexes below 16 * tables.size().
template <std::size_t N>
__m128i look_up(const std::array<Table16, N>& tables, __m128i index) {
    const __m128i sixteens = _mm_and_si128(index, _mm_set1_epi8(char(0xF0)));
    __m128i result = _mm_setzero_si128();
    for (std::size_t t = 0; t < N; ++t) {
        const __m128i here = _mm_cmpeq_epi8(sixteens, _mm_set1_epi8(char(16 * t)));
        result = _mm_or_si128(result, _mm_and_si128(here, _mm_shuffle_epi8(load(tables[t]), index)));
    }
    return result;
}

// Sixteen characters as their low bytes and their high bytes.
struct Planes {
    __m128i low;
    __m128i high;
};

Planes characters_of(__m128i bytes) {
    const __m128i from_table =
        _mm_cmpeq_epi8(_mm_and_si128(bytes, _mm_set1_epi8(char(0xE0))), _mm_set1_epi8(char(0x80)));
    const __m128i index = _mm_and_si128(bytes, _mm_set1_epi8(0x1F));
    return {select(from_table, look_up(kHighLow, index), bytes), _mm_and_si128(from_table, look_up(kHighHigh, index))};
}

}  // namespace

void decode(const std::uint8_t* in, std::size_t n, char16_t* out) {
    for (std::size_t i = 0; i + 16 <= n; i += 16) {
        const Planes c = characters_of(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(c.low, c.high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(c.low, c.high));
    }
}

bool encode(const char16_t* in, std::size_t n, std::uint8_t* out) {
    const __m128i low_byte = _mm_set1_epi16(0x00FF);
    const __m128i multiplier = _mm_set1_epi16(std::int16_t(kSlotMultiplier));
    __m128i all_held = _mm_set1_epi8(char(0xFF));
    for (std::size_t i = 0; i + 16 <= n; i += 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 8));
        const Planes c{_mm_packus_epi16(_mm_and_si128(first, low_byte), _mm_and_si128(second, low_byte)),
                       _mm_packus_epi16(_mm_srli_epi16(first, 8), _mm_srli_epi16(second, 8))};
        const __m128i slots = _mm_packus_epi16(_mm_srli_epi16(_mm_mullo_epi16(first, multiplier), 10),
                                               _mm_srli_epi16(_mm_mullo_epi16(second, multiplier), 10));
        // Up to U+00FF the byte can only be the low byte; above, only the slot's byte. Either way
        // it is the character's byte if it decodes back to the character.
        const __m128i up_to_ff = _mm_cmpeq_epi8(c.high, _mm_setzero_si128());
        const __m128i byte = select(up_to_ff, c.low, look_up(kSlotByte, slots));
        const Planes back = characters_of(byte);
        const __m128i held = _mm_and_si128(_mm_cmpeq_epi8(back.low, c.low), _mm_cmpeq_epi8(back.high, c.high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_and_si128(held, byte));
        all_held = _mm_and_si128(all_held, held);
    }
    return _mm_movemask_epi8(all_held) == 0xFFFF;
}

}  // namespace ansi_vector
