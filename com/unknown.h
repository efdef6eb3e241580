// IUnknown and IDispatch in the vtable order of the home platform.
#pragma once

#include "com/guid.h"
#include "com/hresult.h"

struct IUnknown {
    static constexpr IID iid = make_guid("{00000000-0000-0000-C000-000000000046}");
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;
};

struct ITypeInfo;
using DISPID = std::int32_t;
struct VARIANT;

// Dual interfaces keep IDispatch's four members in front of their own; nothing binds late here,
// so implementations answer them with E_NOTIMPL (see ComObject).
struct IDispatch : IUnknown {
    static constexpr IID iid = make_guid("{00020400-0000-0000-C000-000000000046}");
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(unsigned* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(unsigned index, std::uint32_t lcid, ITypeInfo** info) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, char16_t** names, unsigned count,
                                  std::uint32_t lcid, DISPID* ids) = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, std::uint32_t lcid, std::uint16_t flags,
                           void* params, VARIANT* result, void* exception, unsigned* arg_error) = 0;

protected:
    ~IDispatch() = default;
};

// The interface identifier of an interface type, as __uuidof gives it on the home platform.
template <class I>
constexpr const IID& uuidof() { return I::iid; }
