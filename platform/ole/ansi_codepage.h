// The ANSI code page: Windows-1252, with the five bytes it leaves unassigned (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) mapped to the code points of the same value, so every byte value round-trips. Stored
// objects and the host's database both convert through it.
#pragma once

#include "platform/ole/byte_io.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pathmender::ole {

char16_t ansi_to_char(std::uint8_t byte);
// The byte for a character, if the code page holds it.
std::optional<std::uint8_t> char_to_ansi(char16_t c);

std::u16string ansi_decode(ByteView bytes);
// bytes.size() characters into out.
void ansi_decode_into(ByteView bytes, char16_t* out);
// A character the code page cannot hold (a surrogate pair counts as one) becomes '?'; ok (if
// given) says whether all fitted.
Bytes ansi_encode(std::u16string_view text, bool* ok = nullptr);

}  // namespace pathmender::ole
