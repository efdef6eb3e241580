#include "ansi_codepage.h"

#include "platform/ansi_codepage.h"

// The stored objects use the platform's one ANSI table.
namespace pathmender::ole {

char16_t ansi_to_char16(std::uint8_t byte) { return ::ansi_to_char(byte); }
std::optional<std::uint8_t> char16_to_ansi(char16_t ch) { return ::char_to_ansi(ch); }
std::u16string decode_ansi(ByteView bytes) { return ::ansi_decode(bytes); }
Bytes encode_ansi(std::u16string_view text) { return ::ansi_encode(text); }

}  // namespace pathmender::ole
