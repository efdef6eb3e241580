// The ANSI code page: Windows-1252, with the five bytes it leaves unassigned (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) mapped to the code points of the same value, so every byte value round-trips.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

char16_t ansi_to_char(std::uint8_t byte);
// The byte for a character, if the code page holds it.
std::optional<std::uint8_t> char_to_ansi(char16_t c);

std::u16string ansi_decode(std::span<const std::uint8_t> bytes);
// Characters the code page cannot hold become '?'; ok (if given) says whether all fitted.
std::vector<std::uint8_t> ansi_encode(std::u16string_view text, bool* ok = nullptr);
