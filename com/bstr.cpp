#include "com/bstr.h"

#include <cstdlib>
#include <cstring>
#include <new>

BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t length) {
    // The length prefix sits in front of the text; the text keeps a terminating NUL.
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(std::uint32_t) + (std::size_t(length) + 1) * sizeof(OLECHAR)));
    if (!block) return nullptr;
    std::uint32_t bytes = length * std::uint32_t(sizeof(OLECHAR));
    std::memcpy(block, &bytes, sizeof bytes);
    auto* out = reinterpret_cast<OLECHAR*>(block + sizeof(std::uint32_t));
    if (text) std::memcpy(out, text, bytes);
    else std::memset(out, 0, bytes);
    out[length] = 0;
    return out;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    return SysAllocStringLen(text, std::uint32_t(std::char_traits<char16_t>::length(text)));
}

void SysFreeString(BSTR text) {
    if (text) std::free(reinterpret_cast<unsigned char*>(text) - sizeof(std::uint32_t));
}

std::uint32_t SysStringLen(BSTR text) {
    if (!text) return 0;
    std::uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<unsigned char*>(text) - sizeof(std::uint32_t), sizeof bytes);
    return bytes / sizeof(OLECHAR);
}
