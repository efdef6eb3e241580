// The module's dual interfaces bound late, through the type infos of its type library: the
// registration object as the host creates it, and probes that tell which vtable slot each name
// reaches, so the type library's member order is held against the interfaces' declarations.
#include <gtest/gtest.h>

#include <algorithm>

#include "com/class_factory.h"
#include "com/registry.h"
#include "com/type_info.h"
#include "com/utf.h"
#include "com/variant.h"
#include "module/support/plugin_host.h"
#include "resources/module_type_info.h"

using namespace test_host;

namespace {

DISPID id_of(IDispatch* object, const char16_t* name, HRESULT expected = S_OK) {
    std::u16string text(name);
    LPOLESTR names[] = {text.data()};
    DISPID id = 0;
    EXPECT_EQ(object->GetIDsOfNames(GUID_NULL, names, 1, 0, &id), expected) << utf8(text);
    return id;
}

// Arguments in the caller's order; DISPPARAMS holds them last one first.
HRESULT invoke(IDispatch* object, const char16_t* name, WORD flags, std::vector<VARIANT> arguments = {},
               VARIANT* result = nullptr, EXCEPINFO* exception = nullptr) {
    std::reverse(arguments.begin(), arguments.end());
    DISPPARAMS params{arguments.data(), nullptr, UINT(arguments.size()), 0};
    return object->Invoke(id_of(object, name), GUID_NULL, 0, flags, &params, result, exception, nullptr);
}

std::u16string property(IDispatch* object, const char16_t* name) {
    Variant result;
    EXPECT_EQ(invoke(object, name, DISPATCH_PROPERTYGET, {}, result.get()), S_OK) << utf8(name);
    return result.to_text();
}

VARIANT object_argument(IDispatch* object) {
    VARIANT v{};
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
}

using LateBoundRegistrationObject = CreatedPlugin;

TEST_F(LateBoundRegistrationObject, ACallerReadsTheCaptionByName) {
    UINT count = 0;
    EXPECT_EQ(header_->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(id_of(header_.get(), u"Caption"), 0x60020000);
    EXPECT_EQ(property(header_.get(), u"Caption"), u"Update Linked Media");
    EXPECT_EQ(property(header_.get(), u"name"), u"Update Linked Media");
    EXPECT_EQ(id_of(header_.get(), u"Nothing", DISP_E_UNKNOWNNAME), DISPID_UNKNOWN);
    // The names are the interface's own: the header's are not the hosted plug-in's.
    id_of(plugin_.get(), u"Caption", DISP_E_UNKNOWNNAME);
    EXPECT_EQ(property(plugin_.get(), u"ProgID"), u"Pathmender.cUpdateLinks");
}

TEST_F(LateBoundRegistrationObject, AFailingMemberFillsTheException) {
    ComPtr<IDispatch> not_a_document(make_com<NotASession>().get());
    EXCEPINFO exception{};
    EXPECT_EQ(invoke(plugin_.get(), u"OnLoad", DISPATCH_METHOD, {object_argument(not_a_document.get())}, nullptr, &exception),
              DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, E_NOINTERFACE);
    ASSERT_NE(exception.bstrDescription, nullptr);
    EXPECT_NE(std::u16string(exception.bstrDescription), u"");
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
}

// Each member tells its own name; the type infos come from the type library linked in here.
class HeaderProbe final : public ComObject<HeaderProbe, IVXHeaderInfo> {
public:
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* text) override { return tell(text, u"Caption"); }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* text) override { return tell(text, u"Name"); }
    HRESULT STDMETHODCALLTYPE get_Description(BSTR* text) override { return tell(text, u"Description"); }
    HRESULT STDMETHODCALLTYPE get_Image(BSTR* text) override { return tell(text, u"Image"); }
    HRESULT STDMETHODCALLTYPE get_Group(BSTR* text) override { return tell(text, u"Group"); }
    ITypeInfo* type_info(REFIID iid) { return module_type_info(iid); }

private:
    static HRESULT tell(BSTR* text, const char16_t* name) {
        *text = make_bstr(name);
        return S_OK;
    }
};

class PluginProbe final : public ComObject<PluginProbe, IVXHostedPlugin> {
public:
    HRESULT STDMETHODCALLTYPE OnInit(IDispatch* oApp) override { return record(u"OnInit", oApp); }
    HRESULT STDMETHODCALLTYPE OnLoad(IDispatch* oDoc) override { return record(u"OnLoad", oDoc); }
    HRESULT STDMETHODCALLTYPE OnQueryUnload(VARIANT_BOOL* bCancel, VARIANT_BOOL bShellIsUnloading) override {
        *bCancel = bShellIsUnloading;
        return record(u"OnQueryUnload", nullptr);
    }
    HRESULT STDMETHODCALLTYPE OnClosedown() override { return record(u"OnClosedown", nullptr); }
    HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) override {
        *url = make_bstr(u"URL");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ProgID(BSTR* prog_id) override {
        *prog_id = make_bstr(u"ProgID");
        return S_OK;
    }
    ITypeInfo* type_info(REFIID iid) { return module_type_info(iid); }

    std::u16string called;
    IDispatch* received = nullptr;

private:
    HRESULT record(const char16_t* name, IDispatch* object) {
        called = name;
        received = object;
        return S_OK;
    }
};

TEST(LateBoundHostInterfaces, EveryNameReachesTheMemberOfThatName) {
    ComPtr<HeaderProbe> header = make_com<HeaderProbe>();
    for (const char16_t* name : {u"Caption", u"Name", u"Description", u"Image", u"Group"})
        EXPECT_EQ(property(static_cast<IVXHeaderInfo*>(header.get()), name), name);

    ComPtr<PluginProbe> plugin = make_com<PluginProbe>();
    IDispatch* dispatch = static_cast<IVXHostedPlugin*>(plugin.get());
    EXPECT_EQ(property(dispatch, u"URL"), u"URL");
    EXPECT_EQ(property(dispatch, u"ProgID"), u"ProgID");
    ComPtr<IDispatch> argument(make_com<NotASession>().get());
    for (const char16_t* name : {u"OnInit", u"OnLoad"}) {
        EXPECT_EQ(invoke(dispatch, name, DISPATCH_METHOD, {object_argument(argument.get())}), S_OK);
        EXPECT_EQ(plugin->called, name);
        EXPECT_EQ(plugin->received, argument.get());
    }
    EXPECT_EQ(invoke(dispatch, u"OnClosedown", DISPATCH_METHOD), S_OK);
    EXPECT_EQ(plugin->called, u"OnClosedown");

    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT by_reference{}, unloading{};
    by_reference.vt = VT_BOOL | VT_BYREF;
    by_reference.pboolVal = &cancel;
    unloading.vt = VT_BOOL;
    unloading.boolVal = VARIANT_TRUE;
    EXPECT_EQ(invoke(dispatch, u"OnQueryUnload", DISPATCH_METHOD, {by_reference, unloading}), S_OK);
    EXPECT_EQ(plugin->called, u"OnQueryUnload");
    EXPECT_EQ(cancel, VARIANT_TRUE);
}

}  // namespace
