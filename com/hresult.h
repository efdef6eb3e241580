// HRESULT values and the run-time error numbering of the home platform (on Windows, the values are
// the platform's own).
#pragma once

#include <cstdint>

#ifdef _WIN32
#include "com/win32.h"
#else
// The COM calling convention of every interface member and of the module's exports: the platform's
// headers make it __stdcall on 32-bit Windows (the callee pops); here it is the default one.
#define STDMETHODCALLTYPE
#define STDAPICALLTYPE

// The platform's fixed-width names: LONG and ULONG are 32 bits wide on every target, as there.
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using BYTE = std::uint8_t;
using CHAR = char;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using WORD = std::uint16_t;
using INT = std::int32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using FLOAT = float;
using DOUBLE = double;
using DATE = double;
using PVOID = void*;
using LCID = DWORD;
using VARIANT_BOOL = std::int16_t;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002);
inline constexpr HRESULT E_POINTER = HRESULT(0x80004003);
inline constexpr HRESULT E_FAIL = HRESULT(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = HRESULT(0x8000FFFF);
inline constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = HRESULT(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = HRESULT(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = HRESULT(0x80040154);
inline constexpr HRESULT SELFREG_E_CLASS = HRESULT(0x80040201);
inline constexpr HRESULT SELFREG_E_TYPELIB = HRESULT(0x80040200);
#endif

// A run-time error number N below 65536 travels as 0x800A0000 | N.
constexpr HRESULT hresult_from_error_number(std::int32_t number) {
    if (number > 0 && number < 65536) return HRESULT(0x800A0000u | std::uint32_t(number));
    return number == 0 ? E_FAIL : HRESULT(number);
}

// The inverse: a run-time error HRESULT gives back its number; any other failure is its own number.
constexpr std::int32_t error_number_from_hresult(HRESULT hr) {
    if ((std::uint32_t(hr) & 0xFFFF0000u) == 0x800A0000u) return std::int32_t(hr & 0xFFFF);
    return hr;
}
