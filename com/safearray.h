// SAFEARRAY: arrays that cross interfaces, in the platform's layout, with the platform's functions
// for making, reading and freeing them. Vectors (one dimension) are what this system passes.
#pragma once

#include "com/dispatch.h"
#include "com/variant.h"

#ifndef _WIN32
struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    PVOID pvData;
    SAFEARRAYBOUND rgsabound[1];  // one per dimension, the last dimension first
};

// fFeatures: what the elements are, and how the array was made.
inline constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
inline constexpr USHORT FADF_BSTR = 0x0100;
inline constexpr USHORT FADF_UNKNOWN = 0x0200;
inline constexpr USHORT FADF_DISPATCH = 0x0400;
inline constexpr USHORT FADF_VARIANT = 0x0800;
inline constexpr USHORT FADF_CREATEVECTOR = 0x2000;

inline constexpr HRESULT DISP_E_ARRAYISLOCKED = HRESULT(0x8002000D);

// A vector of cElements empty elements of type vt, indexed from lLbound; null when vt is not an
// element type or memory runs out. Element types: VT_I2, VT_I4, VT_I8, VT_R8, VT_BOOL, VT_ERROR,
// VT_BSTR, VT_UNKNOWN, VT_DISPATCH, VT_VARIANT.
SAFEARRAY* STDAPICALLTYPE SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
// Frees the elements (strings, references, variants) and the array; refused while it is locked.
HRESULT STDAPICALLTYPE SafeArrayDestroy(SAFEARRAY* psa);
UINT STDAPICALLTYPE SafeArrayGetDim(SAFEARRAY* psa);
HRESULT STDAPICALLTYPE SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
// Bounds of dimension nDim, counted from 1.
HRESULT STDAPICALLTYPE SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
HRESULT STDAPICALLTYPE SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
// Locks the array and hands out its elements; each access is ended by one unaccess.
HRESULT STDAPICALLTYPE SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT STDAPICALLTYPE SafeArrayUnaccessData(SAFEARRAY* psa);
// A copy of one element into *pv (a VARIANT*, a BSTR*, an IUnknown**... whatever is not there is
// ignored, not freed). rgIndices holds one index per dimension.
HRESULT STDAPICALLTYPE SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
// Stores a copy of pv in one element, freeing what was there: pv is the BSTR, IUnknown* or
// IDispatch* itself for those types, a pointer to the value for all others.
HRESULT STDAPICALLTYPE SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
#endif
