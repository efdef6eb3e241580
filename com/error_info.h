// Error info as the platform's automation runtime carries it: a failing member describes its
// failure in an error object and leaves it in its thread's slot with SetErrorInfo; its caller,
// when the callee answers ISupportErrorInfo for the interface called, takes it with GetErrorInfo.
// The number travels in the HRESULT, not here.
#pragma once

#include "com/unknown.h"

#ifndef _WIN32
struct IErrorInfo : IUnknown {
    static constexpr IID iid = make_guid("{1CF2B120-547D-101B-8E65-08002B2BD119}");
    // The interface that raised the error.
    virtual HRESULT STDMETHODCALLTYPE GetGUID(GUID* pGUID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSource(BSTR* pBstrSource) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDescription(BSTR* pBstrDescription) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* pBstrHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* pdwHelpContext) = 0;

protected:
    ~IErrorInfo() = default;
};

struct ICreateErrorInfo : IUnknown {
    static constexpr IID iid = make_guid("{22F03340-547D-101B-8E65-08002B2BD119}");
    virtual HRESULT STDMETHODCALLTYPE SetGUID(REFGUID rguid) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR szSource) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR szDescription) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR szHelpFile) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD dwHelpContext) = 0;

protected:
    ~ICreateErrorInfo() = default;
};

struct ISupportErrorInfo : IUnknown {
    static constexpr IID iid = make_guid("{DF0B3D60-548F-101B-8E65-08002B2BD119}");
    // S_OK when a failing member of riid leaves error info, S_FALSE when it does not.
    virtual HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};

// A new, empty error object; query it for IErrorInfo to hand it to SetErrorInfo.
HRESULT STDAPICALLTYPE CreateErrorInfo(ICreateErrorInfo** pperrinfo);
// Puts perrinfo (null clears) in the calling thread's slot, releasing what was there.
HRESULT STDAPICALLTYPE SetErrorInfo(ULONG dwReserved, IErrorInfo* perrinfo);
// Hands the thread's error object over to the caller and empties the slot: S_FALSE and null when
// there is none.
HRESULT STDAPICALLTYPE GetErrorInfo(ULONG dwReserved, IErrorInfo** pperrinfo);
#endif
