#include "com/variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>

#include "com/error.h"
#include "com/utf.h"

#ifndef _WIN32
// The stand-in runtime's; Windows has its own.
void VariantInit(VARIANT* v) {
    v->vt = VT_EMPTY;
    v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
    v->llVal = 0;
}

HRESULT VariantClear(VARIANT* v) {
    if (!v) return E_POINTER;
    switch (v->vt) {
    case VT_BSTR: SysFreeString(v->bstrVal); break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (v->punkVal) v->punkVal->Release();
        break;
    default: break;
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src) return E_POINTER;
    VariantClear(dest);
    *dest = *src;
    if (src->vt == VT_BSTR && src->bstrVal) {
        dest->bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (!dest->bstrVal) { VariantInit(dest); return E_OUTOFMEMORY; }
    } else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal) {
        src->punkVal->AddRef();
    }
    return S_OK;
}
#endif

Variant::Variant(const Variant& o) {
    VariantInit(&v_);
    // The platform's VariantCopy takes its source as non-const; it does not change it.
    if (FAILED(VariantCopy(&v_, const_cast<VARIANT*>(&o.v_)))) throw std::bad_alloc();
}

Variant& Variant::operator=(Variant o) noexcept {
    std::swap(v_, o.v_);
    return *this;
}

Variant Variant::null() { Variant v; v.v_.vt = VT_NULL; return v; }
Variant Variant::missing() { Variant v; v.v_.vt = VT_ERROR; v.v_.scode = DISP_E_PARAMNOTFOUND; return v; }
Variant::Variant(std::int16_t value) : Variant() { v_.vt = VT_I2; v_.iVal = value; }
Variant::Variant(std::int32_t value) : Variant() { v_.vt = VT_I4; v_.lVal = value; }
Variant::Variant(std::int64_t value) : Variant() { v_.vt = VT_I8; v_.llVal = value; }
Variant::Variant(double value) : Variant() { v_.vt = VT_R8; v_.dblVal = value; }
Variant::Variant(bool value) : Variant() { v_.vt = VT_BOOL; v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; }

Variant::Variant(std::u16string_view text) : Variant() {
    v_.bstrVal = SysAllocStringLen(olechars(text), std::uint32_t(text.size()));
    if (!v_.bstrVal) throw std::bad_alloc();
    v_.vt = VT_BSTR;
}

Variant::Variant(IUnknown* object) : Variant() {
    v_.vt = VT_UNKNOWN;
    v_.punkVal = object;
    if (object) object->AddRef();
}

Variant Variant::ref(LONG* target) {
    Variant v;
    v.v_.vt = VT_I4 | VT_BYREF;
    v.v_.plVal = target;
    return v;
}

namespace {

std::u16string number_text(double value) {
    // Up to 15 significant digits, no trailing zeros: how the platform prints a Double.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    return utf16(buf);
}

}  // namespace

std::u16string Variant::to_text() const {
    switch (v_.vt) {
    case VT_EMPTY: return {};
    case VT_NULL: raise_standard_error(RuntimeError::InvalidUseOfNull);
    case VT_I2: return utf16(std::to_string(v_.iVal));
    case VT_I4: return utf16(std::to_string(v_.lVal));
    case VT_I4 | VT_BYREF: return utf16(std::to_string(*v_.plVal));
    case VT_I8: return utf16(std::to_string(v_.llVal));
    case VT_R8: return number_text(v_.dblVal);
    case VT_BOOL: return v_.boolVal ? u"True" : u"False";
    case VT_BSTR: return std::u16string(bstr_view(v_.bstrVal));
    default: raise_standard_error(RuntimeError::TypeMismatch);
    }
}

double Variant::to_double() const {
    switch (v_.vt) {
    case VT_EMPTY: return 0;
    case VT_I2: return v_.iVal;
    case VT_I4: return v_.lVal;
    case VT_I4 | VT_BYREF: return *v_.plVal;
    case VT_I8: return double(v_.llVal);
    case VT_R8: return v_.dblVal;
    case VT_BOOL: return v_.boolVal ? -1 : 0;
    default: return leading_number(to_text());
    }
}

std::int32_t Variant::to_int32() const { return round_to_int32(to_double()); }

double leading_number(std::u16string_view text) {
    // Blanks are skipped, then an optional sign, digits, a point and an exponent, as far as they go.
    std::string ascii;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    for (; i < text.size() && text[i] < 0x80; ++i) ascii.push_back(char(text[i]));
    const char* begin = ascii.c_str();
    char* end = nullptr;
    double value = std::strtod(begin, &end);
    // strtod also reads hex, "inf" and "nan"; the platform's leading number does not.
    std::size_t used = std::size_t(end - begin);
    for (std::size_t k = 0; k < used; ++k) {
        char c = begin[k];
        bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E';
        if (!allowed) return 0;
    }
    return used ? value : 0;
}

std::int32_t round_to_int32(double value) {
    if (!std::isfinite(value)) raise_standard_error(RuntimeError::Overflow);
    double rounded = std::nearbyint(value);  // the default rounding mode is half to even
    if (rounded < double(std::numeric_limits<std::int32_t>::min()) ||
        rounded > double(std::numeric_limits<std::int32_t>::max()))
        raise_standard_error(RuntimeError::Overflow);
    return std::int32_t(rounded);
}
