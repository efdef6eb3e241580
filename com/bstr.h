// BSTRs: UTF-16 text behind a 32-bit byte length, allocated by the sender, freed by the receiver.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// UTF-16 code units; the platform's wide character is 16 bits wide where this one is not.
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, std::uint32_t length);
void SysFreeString(BSTR text);
std::uint32_t SysStringLen(BSTR text);

// Owns one BSTR; a null BSTR is the empty string, as on the home platform.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text) : p_(SysAllocStringLen(text.data(), std::uint32_t(text.size()))) {}
    Bstr(const Bstr& o) : Bstr(o.view()) {}
    Bstr(Bstr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~Bstr() { SysFreeString(p_); }
    Bstr& operator=(Bstr o) noexcept { std::swap(p_, o.p_); return *this; }

    static Bstr attach(BSTR p) { Bstr b; b.p_ = p; return b; }
    BSTR release() { return std::exchange(p_, nullptr); }
    // Frees what it holds before handing out its address, for use as an out-parameter.
    BSTR* put() { SysFreeString(std::exchange(p_, nullptr)); return &p_; }
    BSTR get() const { return p_; }

    std::u16string_view view() const { return p_ ? std::u16string_view(p_, SysStringLen(p_)) : std::u16string_view(); }
    std::u16string str() const { return std::u16string(view()); }

private:
    BSTR p_ = nullptr;
};

// A new BSTR for handing out through an out-parameter; the receiver frees it.
inline BSTR make_bstr(std::u16string_view text) { return Bstr(text).release(); }
// The text of a BSTR argument (null is empty).
inline std::u16string_view bstr_view(BSTR b) { return b ? std::u16string_view(b, SysStringLen(b)) : std::u16string_view(); }
