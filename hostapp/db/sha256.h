// SHA-256 digests: through Nettle here (sha256_nettle.cpp), the system's BCrypt on Windows
// (sha256_windows.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

using Sha256 = std::array<std::uint8_t, 32>;

Sha256 sha256(std::span<const std::uint8_t> bytes);
// The digest as 64 lower-case hexadecimal digits.
std::string hex_text(const Sha256& digest);
