// IUnknown and IDispatch in the vtable order of the home platform (on Windows, the platform's own),
// and uuidof, the interface identifier of an interface type.
#pragma once

#include <type_traits>

#include "com/guid.h"
#include "com/hresult.h"

#ifdef _WIN32
#include "com/win32.h"
#else
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
#endif

// The interface identifier of an interface type, as __uuidof gives it on the home platform: this
// system's interfaces carry theirs as a member `iid`; the platform's own come from its headers on
// Windows.
template <class I>
constexpr const IID& uuidof() {
#ifdef _WIN32
    if constexpr (requires { I::iid; }) return I::iid;
    else return __uuidof(I);
#else
    return I::iid;
#endif
}
