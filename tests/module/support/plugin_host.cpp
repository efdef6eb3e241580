#include "plugin_host.h"

#include <stdexcept>

#include "com/class_factory.h"
#include "com/registry.h"
#include "com/safearray.h"

namespace test_host {

std::filesystem::path built_module() { return std::filesystem::path(PATHMENDER_BIN_DIR) / "Pathmender.so"; }

HRESULT call_export(const ServerModule& module, const char* name) {
    auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(module.symbol(name));
    if (!entry) throw std::runtime_error(std::string("the module lacks ") + name);
    return entry();
}

HRESULT STDMETHODCALLTYPE TestSession::get_SessionID(LONG* id) {
    if (!id) return E_POINTER;
    *id = 7;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSession::get_ApplicationTitle(BSTR* title) {
    if (!title) return E_POINTER;
    *title = make_bstr(u"Test Host");
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSession::CreateDataObject(BSTR, IHostDataObject** data) {
    if (!data) return E_POINTER;
    *data = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TestApplicationContext::get_Session(IDispatch** session) {
    if (!session) return E_POINTER;
    *session = ComPtr<IDispatch>(session_).detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestApplication::get_ApplicationContext(IHostApplicationContext** context) {
    if (!context) return E_POINTER;
    *context = ComPtr<IHostApplicationContext>(context_.get()).detach();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EchoStringServices::FormatText(BSTR text, SAFEARRAY** values, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    LONG lower = 0, upper = 0;
    if (!values || FAILED(SafeArrayGetLBound(*values, 1, &lower)) || FAILED(SafeArrayGetUBound(*values, 1, &upper)) ||
        upper >= lower)
        return E_INVALIDARG;  // the plug-in passes an empty array
    *result = make_bstr(bstr_view(text));
    return S_OK;
}

std::u16string& FixedPathServices::folder_text() {
    static std::u16string text = u"/srv/host/pages/";
    return text;
}

HRESULT STDMETHODCALLTYPE FixedPathServices::FolderPath(LONG folder_id, BSTR* path) {
    if (!path) return E_POINTER;
    *path = nullptr;
    if (folder_id != kPageFileFolder) return fail_with(ComError(5, u"no such folder"));
    *path = make_bstr(folder_text());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingPage::Init(ISessionContext** SessionContext) {
    ++init_calls;
    if (!SessionContext) return E_POINTER;
    received = *SessionContext;
    if (init_failure.number != 0) return fail_with(init_failure);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingPage::Closedown() {
    ++closedown_calls;
    if (closedown_failure.number != 0) return fail_with(closedown_failure);
    return S_OK;
}

ScopedHostServices::ScopedHostServices() {
    check(CoRegisterClassObject(CLSID_HostStringServices, make_com<ClassFactory<EchoStringServices>>().get()));
    check(CoRegisterClassObject(CLSID_HostPathServices, make_com<ClassFactory<FixedPathServices>>().get()));
}

ScopedHostServices::~ScopedHostServices() {
    CoRevokeClassObject(CLSID_HostStringServices);
    CoRevokeClassObject(CLSID_HostPathServices);
}

void CreatedPlugin::SetUp() {
    module_ = ServerModule::open(built_module());
    ASSERT_EQ(call_export(*module_, "DllRegisterServer"), S_OK);
    InstallRegistryClassResolver();
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Pathmender.cUpdateLinks", &clsid), S_OK);
    plugin_ = create_instance<IVXHostedPlugin>(clsid);
    header_ = plugin_.query<IVXHeaderInfo>();
    ASSERT_TRUE(header_);
}

void CreatedPlugin::TearDown() {
    header_.reset();
    plugin_.reset();
}

}  // namespace test_host
