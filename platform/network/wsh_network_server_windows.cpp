// The stand-in network object as an in-process server of its own, for Wine, whose network object
// answers EnumNetworkDrives with E_NOTIMPL: registered in a prefix under the platform's class and
// ProgID (tools/wine-network), it is the same object as the Linux stand-in, over the connections
// file the prefix's registry names. Registration takes the class over; there is no unregistration
// (the prefix's own registration of the platform's object is what it replaced).
#include <windows.h>

#include <string>

#include "com/class_factory.h"
#include "com/error.h"
#include "platform/wsh_network.h"
#include "wsh_network.h"

namespace {

constexpr wchar_t kProgId[] = L"WScript.Network";
constexpr wchar_t kVersionedProgId[] = L"WScript.Network.1";

std::wstring this_module_file() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&this_module_file), &module);
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, path.data(), DWORD(path.size()));
        if (length == 0) raise_error(SELFREG_E_CLASS, u"Cannot tell where the stand-in network object lives");
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring clsid_text() {
    wchar_t text[40] = {};
    ::StringFromGUID2(CLSID_WshNetwork, text, 40);
    return text;
}

void set_value(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle = nullptr;
    LONG status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                    nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        status = ::RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  DWORD((value.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(handle);
    }
    if (status != ERROR_SUCCESS)
        raise_error(SELFREG_E_CLASS, u"Cannot change the registry key HKEY_CLASSES_ROOT\\" +
                                         std::u16string(key.begin(), key.end()));
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_WshNetwork) return CLASS_E_CLASSNOTAVAILABLE;
    try {
        return make_com<ClassFactory<WshNetwork>>()->QueryInterface(riid, object);
    } catch (...) {
        return hresult_from_current_exception();
    }
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return module_object_count() == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    try {
        const std::wstring key = L"CLSID\\" + clsid_text();
        set_value(key, nullptr, L"Windows Script Host Network Object");
        set_value(key + L"\\InprocServer32", nullptr, this_module_file());
        set_value(key + L"\\InprocServer32", L"ThreadingModel", L"Both");
        set_value(key + L"\\ProgID", nullptr, kVersionedProgId);
        set_value(key + L"\\VersionIndependentProgID", nullptr, kProgId);
        for (const wchar_t* prog_id : {kProgId, kVersionedProgId})
            set_value(std::wstring(prog_id) + L"\\CLSID", nullptr, clsid_text());
        set_value(std::wstring(kProgId) + L"\\CurVer", nullptr, kVersionedProgId);
        return S_OK;
    } catch (...) {
        return hresult_from_current_exception();
    }
}
