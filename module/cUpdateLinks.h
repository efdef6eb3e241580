// The registration object: the one class the host creates. It tells the host the plug-in's name,
// description, page file and ProgID, hands the host's session context to the page, and closes the
// page down when the host closes the plug-in.
#pragma once

#include "com/comptr.h"
#include "com/object.h"
#include "contracts/host_services.h"
#include "contracts/plugin_interfaces.h"
#include "resources/module_type_info.h"

class cUpdateLinks final : public ComObject<cUpdateLinks, _cUpdateLinks, IVXHeaderInfo, IVXHostedPlugin> {
public:
    // IVXHeaderInfo
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_Description(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_Image(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_Group(BSTR* text) override;

    // IVXHostedPlugin
    HRESULT STDMETHODCALLTYPE OnInit(IDispatch* oApp) override;
    HRESULT STDMETHODCALLTYPE OnLoad(IDispatch* oDoc) override;
    HRESULT STDMETHODCALLTYPE OnQueryUnload(VARIANT_BOOL* bCancel, VARIANT_BOOL bShellIsUnloading) override;
    HRESULT STDMETHODCALLTYPE OnClosedown() override;
    HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) override;
    HRESULT STDMETHODCALLTYPE get_ProgID(BSTR* prog_id) override;

    // Late binding to each of the three interfaces, through the module's type library.
    ITypeInfo* type_info(REFIID iid) { return module_type_info(iid); }

    // What the object holds, from OnInit/OnLoad until OnClosedown.
    ComPtr<ISessionContext> SessionContext;
    ComPtr<_udPathmender> Document;
    ComPtr<IHostApplication> Application;
};

// Texts the host shows for the plug-in.
inline constexpr char16_t kPluginCaption[] = u"Update Linked Media";
inline constexpr char16_t kPluginDescription[] =
    u"This plug-in will update linked KW/JW media records in the event that the file location has changed.";
inline constexpr char16_t kPageFileName[] = u"udPathmender.vbd";
