// IUnknown and IDispatch in the vtable order of the home platform.
#pragma once

#include "com/bstr.h"
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

// The interface identifier of an interface type, as __uuidof gives it on the home platform.
template <class I>
constexpr const IID& uuidof() { return I::iid; }
