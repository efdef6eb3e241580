#include "com/guid.h"

#include <cstdio>

std::optional<GUID> parse_guid(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
    if (text.size() != 36) return std::nullopt;
    static constexpr int dash_at[] = {8, 13, 18, 23};
    std::uint8_t digits[16];
    int n = 0;
    for (int i = 0; i < 36; ++i) {
        char c = text[i];
        bool dash_here = i == dash_at[0] || i == dash_at[1] || i == dash_at[2] || i == dash_at[3];
        if (dash_here) {
            if (c != '-') return std::nullopt;
            continue;
        }
        int v = c >= '0' && c <= '9' ? c - '0'
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                     : -1;
        if (v < 0) return std::nullopt;
        if (n % 2 == 0) digits[n / 2] = std::uint8_t(v << 4);
        else digits[n / 2] |= std::uint8_t(v);
        ++n;
    }
    GUID g{};
    g.Data1 = std::uint32_t(digits[0]) << 24 | std::uint32_t(digits[1]) << 16 |
              std::uint32_t(digits[2]) << 8 | digits[3];
    g.Data2 = std::uint16_t(digits[4] << 8 | digits[5]);
    g.Data3 = std::uint16_t(digits[6] << 8 | digits[7]);
    for (int i = 0; i < 8; ++i) g.Data4[i] = digits[8 + i];
    return g;
}

std::string to_string(const GUID& g) {
    char buf[39];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", unsigned(g.Data1),
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}
