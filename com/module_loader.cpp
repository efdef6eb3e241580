#include "com/module_loader.h"

#include <dlfcn.h>

#include <mutex>
#include <vector>

#include "com/class_factory.h"
#include "com/error.h"
#include "com/registry.h"
#include "com/utf.h"

namespace {

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

// A module that cannot be loaded (ERROR_MOD_NOT_FOUND as an HRESULT).
constexpr HRESULT kModuleNotLoadable = HRESULT(0x8007007E);

struct ModuleTable {
    std::mutex lock;
    std::vector<std::shared_ptr<ServerModule>> modules;
};

ModuleTable& table() {
    static ModuleTable t;
    return t;
}

std::filesystem::path normalised(const std::filesystem::path& path) {
    std::error_code ignored;
    auto canonical = std::filesystem::weakly_canonical(std::filesystem::absolute(path), ignored);
    return canonical.empty() ? path : canonical;
}

}  // namespace

ServerModule::~ServerModule() {
    if (handle_) ::dlclose(handle_);
}

void* ServerModule::symbol(const char* name) const { return ::dlsym(handle_, name); }

std::shared_ptr<ServerModule> ServerModule::open(const std::filesystem::path& requested) {
    std::filesystem::path path = normalised(requested);
    std::lock_guard guard(table().lock);
    for (const auto& module : table().modules)
        if (module->path() == path) return module;
    // RTLD_LOCAL: each module keeps its own symbols, as a DLL does.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = ::dlerror();
        raise_error(kModuleNotLoadable, utf16("cannot load " + path.string() + ": " + (why ? why : "unknown error")));
    }
    std::shared_ptr<ServerModule> module(new ServerModule(path, handle));
    if (!module->symbol("DllGetClassObject"))
        raise_error(kModuleNotLoadable, utf16(path.string() + " is not an in-process server (no DllGetClassObject)"));
    table().modules.push_back(module);
    return module;
}

std::shared_ptr<ServerModule> load_server_module(REFCLSID clsid) {
    Registry registry = Registry::load(Registry::default_path());
    auto path = registry.value("CLSID\\" + to_string(clsid) + "\\InprocServer32");
    if (!path || path->empty()) raise_error(REGDB_E_CLASSNOTREG, standard_error_text(REGDB_E_CLASSNOTREG));
    return ServerModule::open(*path);
}

void InstallRegistryClassResolver() {
    SetClassResolver([](REFCLSID clsid, REFIID riid, void** factory) -> HRESULT {
        try {
            auto module = load_server_module(clsid);
            auto get_class_object = reinterpret_cast<DllGetClassObjectFn>(module->symbol("DllGetClassObject"));
            return get_class_object(clsid, riid, factory);
        } catch (...) {
            return hresult_from_current_exception();
        }
    });
}

void CoFreeUnusedLibraries() {
    std::vector<std::shared_ptr<ServerModule>> idle;  // let go of outside the lock
    std::lock_guard guard(table().lock);
    auto& modules = table().modules;
    for (auto it = modules.begin(); it != modules.end();) {
        auto can_unload = reinterpret_cast<DllCanUnloadNowFn>((*it)->symbol("DllCanUnloadNow"));
        if (can_unload && can_unload() == S_OK) {
            idle.push_back(std::move(*it));
            it = modules.erase(it);
        } else {
            ++it;
        }
    }
}

bool is_module_held(const std::filesystem::path& path) {
    std::filesystem::path wanted = normalised(path);
    std::lock_guard guard(table().lock);
    for (const auto& module : table().modules)
        if (module->path() == wanted) return true;
    return false;
}
