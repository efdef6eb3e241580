// A Windows client of the registered module, built against the platform's headers only: what a
// host or a script sees of Pathmender.dll through the platform's own COM runtime and registry.
//   com_client registered     the module is registered: create it by ProgID, read it through its
//                             vtables and by name, make a call fail, open its type library
//   com_client unregistered   after unregistration: none of the module's keys is left
// One line per check; the exit status is non-zero when any check failed.
#include "windows_checks.h"

#include <cstdio>
#include <string>

namespace {

using checks::hex;
using checks::narrow;
using checks::Ref;
using checks::report;
using checks::Text;

// The host's plug-in interfaces, declared as the host declares them: IDispatch's members first.
struct IVXHeaderInfo : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Caption(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Description(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Image(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Group(BSTR* text) = 0;
};

struct IVXHostedPlugin : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnInit(IDispatch* oApp) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnLoad(IDispatch* oDoc) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnQueryUnload(VARIANT_BOOL* bCancel, VARIANT_BOOL bShellIsUnloading) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnClosedown() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProgID(BSTR* prog_id) = 0;
};

const wchar_t* const iid_header_info = L"{41079A2C-791C-11D4-A6C1-00B0D0273C9F}";
const wchar_t* const iid_hosted_plugin = L"{41079A32-791C-11D4-A6C1-00B0D0273C9F}";
const wchar_t* const libid = L"{B1A65425-40D7-4641-8DD8-45612E1A1187}";
const wchar_t* const caption = L"Update Linked Media";

struct TypeEntry {
    const wchar_t* name;
    const wchar_t* guid;
    bool is_class;
};
const TypeEntry module_types[] = {
    {L"cUpdateLinks", L"{3C22FA23-8CD8-45AD-BE4D-32CCAA42826C}", true},
    {L"udPathmender", L"{E416E1A6-C39A-48FF-AD5F-5865C3733066}", true},
    {L"iCallBack", L"{238E58F5-DE2D-4031-B2E6-59D35F27C885}", true},
    {L"_cUpdateLinks", L"{0B60345C-03E2-484B-90E5-4E517705519E}", false},
    {L"_udPathmender", L"{022467AB-E3D7-4F76-ADD9-E485B55FE77C}", false},
    {L"_iCallBack", L"{24CAA354-2D79-4C40-88B7-7FC4386A21F0}", false},
};

GUID guid(const wchar_t* text) {
    GUID out{};
    IIDFromString(text, &out);
    return out;
}

// A string property read through the vtable.
void check_property(const char* check, HRESULT hr, const Text& value, const wchar_t* expected) {
    report(SUCCEEDED(hr) && value.is(expected), check, hex(hr) + " \"" + value.narrow() + "\"");
}

// A string property read by name, as a script reads it.
void check_by_name(IDispatch* object, const wchar_t* name, const wchar_t* expected) {
    const std::string check = "IDispatch: " + narrow(name) + " by name";
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return report(false, check, "GetIDsOfNames " + hex(hr));
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT bad_argument = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, &exception,
                        &bad_argument);
    bool ok = SUCCEEDED(hr) && result.vt == VT_BSTR && wcscmp(result.bstrVal ? result.bstrVal : L"", expected) == 0;
    std::string detail = "Invoke " + hex(hr) + " vt " + std::to_string(result.vt);
    if (result.vt == VT_BSTR) detail += " \"" + checks::narrow_bstr(result.bstrVal) + "\"";
    report(ok, check, detail);
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

// A registry value under HKEY_CLASSES_ROOT; empty when the key or the value is missing.
std::wstring registry_text(const std::wstring& key, const wchar_t* value) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return {};
    return data;
}

bool key_exists(const std::wstring& key) {
    HKEY handle = nullptr;
    LONG status = RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle);
    if (status == ERROR_SUCCESS) RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

void check_registration() {
    for (const TypeEntry& type : module_types) {
        if (!type.is_class) continue;
        const std::wstring clsid = std::wstring(L"CLSID\\") + type.guid;
        const std::wstring server = registry_text(clsid + L"\\InprocServer32", nullptr);
        const bool is_module = server.size() >= 14 && _wcsicmp(server.c_str() + server.size() - 14, L"Pathmender.dll") == 0;
        report(is_module, "registry: " + narrow(type.name) + " InprocServer32", narrow(server));
        const std::wstring model = registry_text(clsid + L"\\InprocServer32", L"ThreadingModel");
        report(model == L"Apartment", "registry: " + narrow(type.name) + " ThreadingModel", narrow(model));
        const std::wstring prog_id = std::wstring(L"Pathmender.") + type.name;
        const std::wstring named = registry_text(prog_id + L"\\CLSID", nullptr);
        report(_wcsicmp(named.c_str(), type.guid) == 0, "registry: " + narrow(prog_id) + " names its class",
               narrow(named));
    }
}

void check_object() {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"Pathmender.cUpdateLinks", &clsid);
    report(SUCCEEDED(hr) && IsEqualCLSID(clsid, guid(module_types[0].guid)), "CLSIDFromProgID Pathmender.cUpdateLinks",
           hex(hr));
    Ref<IUnknown> object;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void());
    report(SUCCEEDED(hr) && object.p, "CoCreateInstance", hex(hr));
    if (!object.p) return;

    Ref<IVXHeaderInfo> header;
    hr = object->QueryInterface(guid(iid_header_info), header.put_void());
    report(SUCCEEDED(hr), "QueryInterface IVXHeaderInfo", hex(hr));
    Ref<IVXHostedPlugin> plugin;
    hr = object->QueryInterface(guid(iid_hosted_plugin), plugin.put_void());
    report(SUCCEEDED(hr), "QueryInterface IVXHostedPlugin", hex(hr));
    if (!header.p || !plugin.p) return;

    Text text;
    check_property("vtable: Caption", header->get_Caption(text.put()), text, caption);
    check_property("vtable: Name", header->get_Name(text.put()), text, caption);
    check_property("vtable: ProgID", plugin->get_ProgID(text.put()), text, L"Pathmender.cUpdateLinks");

    check_by_name(header.p, L"Caption", caption);
    check_by_name(header.p, L"Name", caption);
    check_by_name(plugin.p, L"ProgID", L"Pathmender.cUpdateLinks");

    // The plug-in object is no document: OnLoad raises the interface-query error with its text.
    Ref<IDispatch> not_a_document;
    object->QueryInterface(IID_IDispatch, not_a_document.put_void());
    SetErrorInfo(0, nullptr);
    hr = plugin->OnLoad(not_a_document.p);
    report(hr == E_NOINTERFACE, "OnLoad with no document fails with E_NOINTERFACE", hex(hr));
    Ref<ISupportErrorInfo> supports;
    HRESULT supports_hr = object->QueryInterface(IID_ISupportErrorInfo, supports.put_void());
    if (SUCCEEDED(supports_hr)) supports_hr = supports->InterfaceSupportsErrorInfo(guid(iid_hosted_plugin));
    report(supports_hr == S_OK, "ISupportErrorInfo for IVXHostedPlugin", hex(supports_hr));
    Ref<IErrorInfo> error;
    HRESULT error_hr = GetErrorInfo(0, error.put());
    Text description;
    if (error_hr == S_OK) error->GetDescription(description.put());
    report(error_hr == S_OK && description.is(L"No such interface supported"), "GetErrorInfo description",
           hex(error_hr) + " \"" + description.narrow() + "\"");
}

void check_type_library() {
    Ref<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(guid(libid), 1, 0, LOCALE_NEUTRAL, library.put());
    report(SUCCEEDED(hr), "LoadRegTypeLib 1.0", hex(hr));
    if (!library.p) return;
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes))) {
        report(IsEqualGUID(attributes->guid, guid(libid)) && attributes->wMajorVerNum == 1 && attributes->wMinorVerNum == 0,
               "type library identity and version");
        library->ReleaseTLibAttr(attributes);
    }
    Text name;
    library->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr);
    report(name.is(L"Pathmender"), "type library name", name.narrow());

    for (const TypeEntry& type : module_types) {
        const std::string check = std::string(type.is_class ? "type library class " : "type library interface ") +
                                  narrow(type.name);
        Ref<ITypeInfo> info;
        hr = library->GetTypeInfoOfGuid(guid(type.guid), info.put());
        if (FAILED(hr)) { report(false, check, "GetTypeInfoOfGuid " + hex(hr)); continue; }
        Text found;
        info->GetDocumentation(MEMBERID_NIL, found.put(), nullptr, nullptr, nullptr);
        TYPEATTR* attr = nullptr;
        TYPEKIND kind = TKIND_MAX;
        if (SUCCEEDED(info->GetTypeAttr(&attr))) {
            kind = attr->typekind;
            info->ReleaseTypeAttr(attr);
        }
        const bool kind_ok = type.is_class ? kind == TKIND_COCLASS : (kind == TKIND_DISPATCH || kind == TKIND_INTERFACE);
        report(found.is(type.name) && kind_ok, check, "\"" + found.narrow() + "\" kind " + std::to_string(kind));
    }
}

void check_nothing_left() {
    for (const TypeEntry& type : module_types) {
        const std::wstring key = std::wstring(type.is_class ? L"CLSID\\" : L"Interface\\") + type.guid;
        report(!key_exists(key), "no key left: " + narrow(key));
        if (type.is_class) {
            const std::wstring prog_id = std::wstring(L"Pathmender.") + type.name;
            report(!key_exists(prog_id), "no key left: " + narrow(prog_id));
        }
    }
    const std::wstring library = std::wstring(L"TypeLib\\") + libid;
    report(!key_exists(library), "no key left: " + narrow(library));
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"Pathmender.cUpdateLinks", &clsid);
    report(FAILED(hr), "CLSIDFromProgID fails", hex(hr));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "registered" && mode != "unregistered") {
        std::fprintf(stderr, "usage: com_client registered|unregistered\n");
        return 2;
    }
    {
        const checks::ComSession com;
        if (mode == "registered") {
            check_registration();
            check_object();
            check_type_library();
        } else {
            check_nothing_left();
        }
    }
    return checks::summary();
}
