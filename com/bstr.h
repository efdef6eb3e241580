// BSTRs: UTF-16 text behind a 32-bit byte length, allocated by the sender, freed by the receiver.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#ifdef _WIN32
#include "com/win32.h"
#else
// UTF-16 code units; the platform's wide character is 16 bits wide where this one is not.
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t length);
void SysFreeString(BSTR text);
std::uint32_t SysStringLen(BSTR text);
#endif

// OLECHAR is wchar_t on Windows and char16_t here; both are UTF-16 code units of the same size, so
// the module's text (std::u16string) crosses into BSTRs and back through these two only.
static_assert(sizeof(OLECHAR) == sizeof(char16_t));
inline const OLECHAR* olechars(std::u16string_view text) { return reinterpret_cast<const OLECHAR*>(text.data()); }
inline std::u16string_view u16view(const OLECHAR* text, std::size_t length) {
    return {reinterpret_cast<const char16_t*>(text), length};
}

// Owns one BSTR; a null BSTR is the empty string, as on the home platform.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text) : p_(SysAllocStringLen(olechars(text), std::uint32_t(text.size()))) {}
    Bstr(const Bstr& o) : Bstr(o.view()) {}
    Bstr(Bstr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~Bstr() { SysFreeString(p_); }
    Bstr& operator=(Bstr o) noexcept { std::swap(p_, o.p_); return *this; }

    static Bstr attach(BSTR p) { Bstr b; b.p_ = p; return b; }
    BSTR release() { return std::exchange(p_, nullptr); }
    // Frees what it holds before handing out its address, for use as an out-parameter.
    BSTR* put() { SysFreeString(std::exchange(p_, nullptr)); return &p_; }
    BSTR get() const { return p_; }

    std::u16string_view view() const { return p_ ? u16view(p_, SysStringLen(p_)) : std::u16string_view(); }
    std::u16string str() const { return std::u16string(view()); }

private:
    BSTR p_ = nullptr;
};

// A new BSTR for handing out through an out-parameter; the receiver frees it.
inline BSTR make_bstr(std::u16string_view text) { return Bstr(text).release(); }
// The text of a BSTR argument (null is empty).
inline std::u16string_view bstr_view(BSTR b) { return b ? u16view(b, SysStringLen(b)) : std::u16string_view(); }
