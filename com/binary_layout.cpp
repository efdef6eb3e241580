// The structures that cross interfaces have the platform's layout byte for byte, on 32-bit and
// 64-bit targets alike: a server built elsewhere reads what this code writes.
#include <cstddef>

#include "com/dispatch.h"
#include "com/guid.h"
#include "com/safearray.h"
#include "com/variant.h"

static_assert(sizeof(GUID) == 16);
static_assert(offsetof(GUID, Data2) == 4 && offsetof(GUID, Data3) == 6 && offsetof(GUID, Data4) == 8);

static_assert(sizeof(SAFEARRAYBOUND) == 8);
static_assert(offsetof(SAFEARRAYBOUND, lLbound) == 4);

static_assert(offsetof(VARIANT, vt) == 0 && offsetof(VARIANT, wReserved1) == 2);
static_assert(offsetof(VARIANT, wReserved2) == 4 && offsetof(VARIANT, wReserved3) == 6);
static_assert(offsetof(VARIANT, llVal) == 8 && offsetof(VARIANT, bstrVal) == 8);
static_assert(offsetof(VARIANT, pvRecord) == 8);

static_assert(offsetof(SAFEARRAY, cDims) == 0 && offsetof(SAFEARRAY, fFeatures) == 2);
static_assert(offsetof(SAFEARRAY, cbElements) == 4 && offsetof(SAFEARRAY, cLocks) == 8);

static_assert(offsetof(DISPPARAMS, rgvarg) == 0);

static_assert(offsetof(EXCEPINFO, wCode) == 0 && offsetof(EXCEPINFO, wReserved) == 2);

#if defined(_WIN64) || defined(__LP64__)
static_assert(sizeof(void*) == 8);
static_assert(sizeof(VARIANT) == 24);
static_assert(offsetof(VARIANT, pRecInfo) == 16);
static_assert(sizeof(SAFEARRAY) == 32);
static_assert(offsetof(SAFEARRAY, pvData) == 16 && offsetof(SAFEARRAY, rgsabound) == 24);
static_assert(sizeof(DISPPARAMS) == 24);
static_assert(offsetof(DISPPARAMS, rgdispidNamedArgs) == 8);
static_assert(offsetof(DISPPARAMS, cArgs) == 16 && offsetof(DISPPARAMS, cNamedArgs) == 20);
static_assert(sizeof(EXCEPINFO) == 64);
static_assert(offsetof(EXCEPINFO, bstrSource) == 8 && offsetof(EXCEPINFO, bstrDescription) == 16);
static_assert(offsetof(EXCEPINFO, bstrHelpFile) == 24 && offsetof(EXCEPINFO, dwHelpContext) == 32);
static_assert(offsetof(EXCEPINFO, pvReserved) == 40 && offsetof(EXCEPINFO, pfnDeferredFillIn) == 48);
static_assert(offsetof(EXCEPINFO, scode) == 56);
#else
static_assert(sizeof(void*) == 4);
static_assert(sizeof(VARIANT) == 16);
static_assert(offsetof(VARIANT, pRecInfo) == 12);
static_assert(sizeof(SAFEARRAY) == 24);
static_assert(offsetof(SAFEARRAY, pvData) == 12 && offsetof(SAFEARRAY, rgsabound) == 16);
static_assert(sizeof(DISPPARAMS) == 16);
static_assert(offsetof(DISPPARAMS, rgdispidNamedArgs) == 4);
static_assert(offsetof(DISPPARAMS, cArgs) == 8 && offsetof(DISPPARAMS, cNamedArgs) == 12);
static_assert(sizeof(EXCEPINFO) == 32);
static_assert(offsetof(EXCEPINFO, bstrSource) == 4 && offsetof(EXCEPINFO, bstrDescription) == 8);
static_assert(offsetof(EXCEPINFO, bstrHelpFile) == 12 && offsetof(EXCEPINFO, dwHelpContext) == 16);
static_assert(offsetof(EXCEPINFO, pvReserved) == 20 && offsetof(EXCEPINFO, pfnDeferredFillIn) == 24);
static_assert(offsetof(EXCEPINFO, scode) == 28);
#endif
