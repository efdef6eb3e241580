#include "hostapp/db/sha256.h"

std::string hex_text(const Sha256& digest) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t b : digest) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}
