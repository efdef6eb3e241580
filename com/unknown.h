// IUnknown and IDispatch in the vtable order of the home platform (on Windows, the platform's own),
// and uuidof, the interface identifier of an interface type.
#pragma once

#include <type_traits>

#include "com/bstr.h"
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
struct DISPPARAMS;
struct EXCEPINFO;
struct VARIANT;
using DISPID = LONG;

// Late binding by member name and identifier. Dual interfaces keep these four members in front of
// their own (ComObject answers them).
struct IDispatch : IUnknown {
    static constexpr IID iid = make_guid("{00020400-0000-0000-C000-000000000046}");
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                    DISPID* rgDispId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                             DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                             EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;

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
