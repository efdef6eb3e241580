// The ANSI conversions sixteen characters at a time, for processors with SSSE3 (the caller checks).
// Stored objects go through them whole, twice for every record read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ansi_vector {

// Converts the first n - n % 16 bytes; the caller converts the rest.
void decode(const std::uint8_t* in, std::size_t n, char16_t* out);

// Converts the first n - n % 16 characters, writing 0 for a character the code page does not
// hold; true when every one of them was held (U+0000 is, as byte 0).
bool encode(const char16_t* in, std::size_t n, std::uint8_t* out);

}  // namespace ansi_vector
