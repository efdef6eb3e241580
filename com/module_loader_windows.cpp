// On Windows the system loads in-process servers for CoCreateInstance itself; this is what the host
// needs beyond that: a module's file by the registry's InprocServer32 entry, and its exports.
#include "com/module_loader.h"

#include <string>

#include "com/error.h"
#include "com/utf.h"

namespace {

// A module that cannot be loaded (ERROR_MOD_NOT_FOUND as an HRESULT).
constexpr HRESULT kModuleNotLoadable = HRESULT(0x8007007E);

HMODULE as_module(void* handle) { return static_cast<HMODULE>(handle); }

}  // namespace

ServerModule::~ServerModule() {
    if (handle_) ::FreeLibrary(as_module(handle_));
}

void* ServerModule::symbol(const char* name) const {
    return reinterpret_cast<void*>(::GetProcAddress(as_module(handle_), name));
}

// Every open is a reference of the system's count of the module, given back by the destructor.
std::shared_ptr<ServerModule> ServerModule::open(const std::filesystem::path& requested) {
    std::error_code ignored;
    std::filesystem::path path = std::filesystem::absolute(requested, ignored).lexically_normal();
    HMODULE handle = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!handle) raise_error(HRESULT_FROM_WIN32(::GetLastError()), utf16("cannot load " + path.string()));
    std::shared_ptr<ServerModule> module(new ServerModule(path, handle));
    if (!module->symbol("DllGetClassObject"))
        raise_error(kModuleNotLoadable, utf16(path.string() + " is not an in-process server (no DllGetClassObject)"));
    return module;
}

std::shared_ptr<ServerModule> load_server_module(REFCLSID clsid) {
    const std::u16string name = u"CLSID\\" + utf16(to_string(clsid)) + u"\\InprocServer32";
    const std::wstring key(name.begin(), name.end());  // UTF-16 both
    wchar_t path[MAX_PATH * 2];
    DWORD size = sizeof path;
    // RRF_RT_REG_SZ takes an expandable value as well, and expands it.
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) != ERROR_SUCCESS ||
        path[0] == L'\0')
        raise_error(REGDB_E_CLASSNOTREG, standard_error_text(REGDB_E_CLASSNOTREG));
    return ServerModule::open(std::filesystem::path(path));
}

void InstallRegistryClassResolver() {}

bool is_module_held(const std::filesystem::path& path) { return ::GetModuleHandleW(path.c_str()) != nullptr; }
