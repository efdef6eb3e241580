// GUIDs in the layout and braced text form of the home platform.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#ifdef _WIN32
#include "com/win32.h"
#else
struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];

    friend bool operator==(const GUID&, const GUID&) = default;
    friend auto operator<=>(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;
#endif

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional, any letter case).
std::optional<GUID> parse_guid(std::string_view text);

// Upper-case braced form, as the registry and type libraries print it.
std::string to_string(const GUID& guid);

// For GUIDs written in source: a malformed literal stops the build.
consteval GUID make_guid(const char (&text)[39]) {
    auto hex = [](char c) -> std::uint32_t {
        if (c >= '0' && c <= '9') return std::uint32_t(c - '0');
        if (c >= 'a' && c <= 'f') return std::uint32_t(c - 'a' + 10);
        if (c >= 'A' && c <= 'F') return std::uint32_t(c - 'A' + 10);
        throw "not a hex digit";
    };
    auto field = [&](int from, int digits) {
        std::uint32_t v = 0;
        for (int i = 0; i < digits; ++i) v = v * 16 + hex(text[from + i]);
        return v;
    };
    if (text[0] != '{' || text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-' ||
        text[37] != '}')
        throw "not a braced GUID";
    GUID g{field(1, 8), std::uint16_t(field(10, 4)), std::uint16_t(field(15, 4)), {}};
    g.Data4[0] = std::uint8_t(field(20, 2));
    g.Data4[1] = std::uint8_t(field(22, 2));
    for (int i = 0; i < 6; ++i) g.Data4[2 + i] = std::uint8_t(field(25 + 2 * i, 2));
    return g;
}

#ifndef _WIN32
inline constexpr GUID GUID_NULL{};
#endif
