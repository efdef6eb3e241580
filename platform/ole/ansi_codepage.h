#pragma once

#include "byte_io.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pathmender::ole {

// The ANSI code page of stored objects: Windows-1252, with its five unassigned bytes
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) standing for the code points of the same value, so every byte
// has a character and decoding then encoding gives back every byte.
char16_t ansi_to_char16(std::uint8_t byte);
std::optional<std::uint8_t> char16_to_ansi(char16_t ch);

std::u16string decode_ansi(ByteView bytes);
// A character the code page cannot hold (a surrogate pair counts as one) becomes '?'.
Bytes encode_ansi(std::u16string_view text);

}  // namespace pathmender::ole
