// VARIANT: the tagged value that crosses dual interfaces, plus an owning wrapper.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "com/bstr.h"
#include "com/comptr.h"

#ifdef _WIN32
#include "com/win32.h"
#else
using VARTYPE = std::uint16_t;
enum : VARTYPE {
    VT_EMPTY = 0, VT_NULL = 1, VT_I2 = 2, VT_I4 = 3, VT_R8 = 5, VT_BSTR = 8, VT_DISPATCH = 9,
    VT_ERROR = 10, VT_BOOL = 11, VT_VARIANT = 12, VT_UNKNOWN = 13, VT_I8 = 20,
    VT_ARRAY = 0x2000, VT_BYREF = 0x4000,
};
// An omitted optional argument travels as VT_ERROR with this code.
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = HRESULT(0x80020004);

struct IRecordInfo;
struct SAFEARRAY;

// The platform's layout: the type, three reserved words, then the value, which is as wide as the
// widest member, a record's pair of pointers (16 bytes in all on 32-bit targets, 24 on 64-bit).
struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        PVOID byref;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
        struct {
            PVOID pvRecord;
            IRecordInfo* pRecInfo;
        };
    };
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* v);
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
#endif

// Owns one VARIANT. Conversions follow the home platform's rules where the system relies on them.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& o);
    Variant(Variant&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
    ~Variant() { VariantClear(&v_); }
    Variant& operator=(Variant o) noexcept;

    static Variant null();
    static Variant missing();  // an omitted optional argument
    explicit Variant(std::int16_t value);
    explicit Variant(std::int32_t value);
    explicit Variant(std::int64_t value);
    explicit Variant(double value);
    explicit Variant(bool value);
    explicit Variant(std::u16string_view text);
    explicit Variant(IUnknown* object);
    // Refers to a caller's integer (passed by reference).
    static Variant ref(LONG* target);

    VARTYPE type() const { return VARTYPE(v_.vt & ~VT_BYREF); }
    bool is_empty() const { return v_.vt == VT_EMPTY; }
    bool is_null() const { return v_.vt == VT_NULL; }
    bool is_missing() const { return v_.vt == VT_ERROR && v_.scode == DISP_E_PARAMNOTFOUND; }

    // Text of the value: numbers as the home platform prints them; Null raises 94, objects 13.
    std::u16string to_text() const;
    // The value as a double: numbers as they are, text through its leading number (0 without one).
    double to_double() const;
    // Rounded half to even into 32 bits; out of range raises 6 "Overflow".
    std::int32_t to_int32() const;

    const VARIANT* get() const { return &v_; }
    VARIANT* get() { return &v_; }
    VARIANT* put() { VariantClear(&v_); return &v_; }
    VARIANT detach() { VARIANT out = v_; VariantInit(&v_); return out; }

private:
    VARIANT v_;
};

// The leading number of a text as a double, 0 when it has none (as the platform's Val does).
double leading_number(std::u16string_view text);
// Rounds half to even into a signed 32-bit integer; raises 6 "Overflow" when it does not fit.
std::int32_t round_to_int32(double value);
