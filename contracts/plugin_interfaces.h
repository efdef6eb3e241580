// The host's plug-in contract, and the interfaces the module publishes in its type library.
#pragma once

#include "com/bstr.h"
#include "com/unknown.h"
#include "contracts/host_services.h"

struct IVXHeaderInfo : IDispatch {
    static constexpr IID iid = make_guid("{41079A2C-791C-11D4-A6C1-00B0D0273C9F}");
    virtual HRESULT STDMETHODCALLTYPE get_Caption(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Description(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Image(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Group(BSTR* text) = 0;
};

struct IVXHostedPlugin : IDispatch {
    static constexpr IID iid = make_guid("{41079A32-791C-11D4-A6C1-00B0D0273C9F}");
    virtual HRESULT STDMETHODCALLTYPE OnInit(IDispatch* oApp) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnLoad(IDispatch* oDoc) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnQueryUnload(VARIANT_BOOL* bCancel, VARIANT_BOOL bShellIsUnloading) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnClosedown() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProgID(BSTR* prog_id) = 0;
};

struct _cUpdateLinks : IDispatch {
    static constexpr IID iid = make_guid("{0B60345C-03E2-484B-90E5-4E517705519E}");
};

struct _udPathmender : IDispatch {
    static constexpr IID iid = make_guid("{022467AB-E3D7-4F76-ADD9-E485B55FE77C}");
    virtual HRESULT STDMETHODCALLTYPE Init(ISessionContext** SessionContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE Closedown() = 0;
};

struct _iCallBack : IDispatch {
    static constexpr IID iid = make_guid("{24CAA354-2D79-4C40-88B7-7FC4386A21F0}");
    virtual HRESULT STDMETHODCALLTYPE Process(IDispatch** oOle) = 0;
};

inline constexpr CLSID CLSID_cUpdateLinks = make_guid("{3C22FA23-8CD8-45AD-BE4D-32CCAA42826C}");
inline constexpr CLSID CLSID_udPathmender = make_guid("{E416E1A6-C39A-48FF-AD5F-5865C3733066}");
inline constexpr CLSID CLSID_iCallBack = make_guid("{238E58F5-DE2D-4031-B2E6-59D35F27C885}");
inline constexpr GUID LIBID_Pathmender = make_guid("{B1A65425-40D7-4641-8DD8-45612E1A1187}");
