// IEnumVARIANT: how collections hand out their members one by one (on Windows, the platform's own).
#pragma once

#include "com/variant.h"

#ifndef _WIN32
struct IEnumVARIANT : IUnknown {
    static constexpr IID iid = make_guid("{00020404-0000-0000-C000-000000000046}");
    // Fills up to count variants; S_FALSE when fewer than count were left.
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) = 0;

protected:
    ~IEnumVARIANT() = default;
};
#endif
