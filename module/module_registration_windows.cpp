// The module's registration in the system's registry: the type library through RegisterTypeLib,
// each class under HKEY_CLASSES_ROOT\CLSID and its ProgID. Unregistration removes exactly that.
#include "module/module_registration.h"

#include <windows.h>

#include <string>

#include "com/error.h"
#include "module/module_classes.h"
#include "resources/module_file.h"

namespace {

std::wstring wide(std::string_view text) { return std::wstring(text.begin(), text.end()); }

std::wstring guid_text(const GUID& guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring class_key(const ModuleClass& c) { return L"CLSID\\" + guid_text(c.clsid); }

std::u16string text16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// The registry's failure as the registration's error, naming the key.
[[noreturn]] void raise_registry_error(LONG status, const std::wstring& key) {
    raise_error(SELFREG_E_CLASS, u"Cannot change the registry key HKEY_CLASSES_ROOT\\" + text16(key) + u" (system error " +
                                     text16(std::to_wstring(status)) + u")");
}

void set_value(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle = nullptr;
    LONG status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        status = ::RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  DWORD((value.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(handle);
    }
    if (status != ERROR_SUCCESS) raise_registry_error(status, key);
}

std::wstring value_of(const std::wstring& key) {
    wchar_t data[256] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return {};
    return data;
}

void delete_tree(const std::wstring& key) {
    LONG status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) raise_registry_error(status, key);
}

// The module's own type library, read from its TYPELIB resource.
struct OwnTypeLibrary {
    ITypeLib* library = nullptr;
    explicit OwnTypeLibrary(const std::wstring& module_file) {
        HRESULT hr = ::LoadTypeLibEx(module_file.c_str(), REGKIND_NONE, &library);
        if (FAILED(hr)) raise_error(SELFREG_E_TYPELIB, u"The module carries no type library it can read");
    }
    OwnTypeLibrary(const OwnTypeLibrary&) = delete;
    OwnTypeLibrary& operator=(const OwnTypeLibrary&) = delete;
    ~OwnTypeLibrary() { library->Release(); }

    TLIBATTR attributes() const {
        TLIBATTR* attr = nullptr;
        if (FAILED(library->GetLibAttr(&attr))) raise_error(SELFREG_E_TYPELIB, u"The module's type library has no attributes");
        TLIBATTR copy = *attr;
        library->ReleaseTLibAttr(attr);
        return copy;
    }
};

void remove_module(const OwnTypeLibrary& own) {
    const TLIBATTR library = own.attributes();
    // Takes out the library's key and the keys of the interfaces it described; gone already is fine.
    HRESULT hr = ::UnRegisterTypeLib(library.guid, library.wMajorVerNum, library.wMinorVerNum, library.lcid,
                                     library.syskind);
    if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS) raise_error(SELFREG_E_TYPELIB, u"Cannot unregister the type library");
    for (const ModuleClass& c : kModuleClasses) {
        delete_tree(class_key(c));
        // A ProgID that another registration has taken over since is not ours to remove.
        const std::wstring prog = wide(prog_id(c));
        if (_wcsicmp(value_of(prog + L"\\CLSID").c_str(), guid_text(c.clsid).c_str()) == 0) delete_tree(prog);
    }
}

void record_module(const OwnTypeLibrary& own, std::wstring path, std::wstring folder) {
    const TLIBATTR library = own.attributes();
    if (FAILED(::RegisterTypeLib(own.library, path.data(), folder.data())))
        raise_error(SELFREG_E_TYPELIB, u"Cannot register the type library");
    const std::wstring version = std::to_wstring(library.wMajorVerNum) + L"." + std::to_wstring(library.wMinorVerNum);
    for (const ModuleClass& c : kModuleClasses) {
        const std::wstring key = class_key(c), prog = wide(prog_id(c));
        set_value(key, nullptr, prog);
        set_value(key + L"\\InprocServer32", nullptr, path);
        set_value(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        set_value(key + L"\\ProgID", nullptr, prog);
        set_value(key + L"\\TypeLib", nullptr, guid_text(library.guid));
        set_value(key + L"\\VERSION", nullptr, version);
        if (c.document) set_value(key + L"\\MiscStatus", nullptr, wide(kDocumentMiscStatus));
        set_value(prog, nullptr, prog);
        set_value(prog + L"\\CLSID", nullptr, guid_text(c.clsid));
    }
}

}  // namespace

void register_module(const std::filesystem::path& module_file) {
    const OwnTypeLibrary own(module_file.wstring());
    try {
        record_module(own, module_file.wstring(), module_file.parent_path().wstring());
    } catch (...) {
        // Nothing half-written stays behind.
        try {
            remove_module(own);
        } catch (...) {
        }
        throw;
    }
}

void unregister_module() { remove_module(OwnTypeLibrary(module_file_path().wstring())); }
