// The module's exports: the four entry points of an in-process server, and the two that the
// stand-in's document container and resource lookup use. Nothing here runs when the module is
// loaded; every export does its work when called.
#include "com/class_factory.h"
#include "com/error.h"
#include "document/udPathmender.h"
#include "module/cUpdateLinks.h"
#include "contracts/document_view.h"
#include "media/iCallBack.h"
#include "resources/module_file.h"
#include "module/module_registration.h"
#include "module/page_view.h"
#include "resources/resource_table.h"

#define PM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Registry failures are reported as the registration of a class failing, with the reason.
HRESULT registration_failure() noexcept {
    HRESULT hr = hresult_from_current_exception();
    if (hr == SELFREG_E_TYPELIB || hr == SELFREG_E_CLASS) return hr;
    ErrorRecord reason;
    GetErrorRecord(hr, &reason);
    return fail_with(ComError(SELFREG_E_CLASS, std::move(reason.description)));
}

}  // namespace

PM_EXPORT HRESULT STDAPICALLTYPE DllRegisterServer() {
    try {
        register_module(module_file_path());
        return S_OK;
    } catch (...) {
        return registration_failure();
    }
}

PM_EXPORT HRESULT STDAPICALLTYPE DllUnregisterServer() {
    try {
        unregister_module();
        return S_OK;
    } catch (...) {
        return registration_failure();
    }
}

PM_EXPORT HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    try {
        ComPtr<IUnknown> factory;
        if (clsid == CLSID_cUpdateLinks) factory = ComPtr<IUnknown>(make_com<ClassFactory<cUpdateLinks>>().get());
        else if (clsid == CLSID_iCallBack) factory = ComPtr<IUnknown>(make_com<ClassFactory<iCallBack>>().get());
        else return CLASS_E_CLASSNOTAVAILABLE;  // the document is made by opening its page file
        return factory->QueryInterface(riid, object);
    } catch (...) {
        return hresult_from_current_exception();
    }
}

PM_EXPORT HRESULT STDAPICALLTYPE DllCanUnloadNow() { return module_object_count() == 0 ? S_OK : S_FALSE; }

PM_EXPORT HRESULT STDAPICALLTYPE DllCreateDocument(REFCLSID clsid, REFIID riid, void** document, IDocumentView** view) {
    if (!document) return E_POINTER;
    *document = nullptr;
    if (view) *view = nullptr;
    if (clsid != CLSID_udPathmender) return CLASS_E_CLASSNOTAVAILABLE;
    try {
        ComPtr<udPathmender> page = make_com<udPathmender>();
        page->UserDocument_Initialize();
        ComPtr<IDocumentView> page_view;
        if (view) page_view = ComPtr<IDocumentView>(make_com<PageView>(page).get());
        HRESULT hr = page->QueryInterface(riid, document);
        if (FAILED(hr)) return hr;
        if (view) *view = page_view.detach();
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }
}

PM_EXPORT HRESULT STDAPICALLTYPE DllFindResource(const char* type, const char* name, const unsigned char** data, std::size_t* size) {
    if (!data || !size) return E_POINTER;
    *data = nullptr;
    *size = 0;
    if (!type || !name) return E_INVALIDARG;
    auto found = find_resource(type, name);
    if (found.empty()) return E_INVALIDARG;
    *data = found.data();
    *size = found.size();
    return S_OK;
}
