// The stand-in runtime's class objects: the running program's registered classes, and the
// resolver that finds every other class through the registry and its module.
#include <map>
#include <mutex>

#include "com/class_factory.h"
#include "com/error.h"

namespace {

struct ClassTable {
    std::mutex lock;
    std::map<CLSID, ComPtr<IUnknown>> factories;
    ClassResolver resolver;
};

ClassTable& table() {
    static ClassTable t;
    return t;
}

}  // namespace

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory) {
    if (!factory) return E_POINTER;
    std::lock_guard guard(table().lock);
    table().factories[clsid] = ComPtr<IUnknown>(factory);
    return S_OK;
}

HRESULT CoRevokeClassObject(REFCLSID clsid) {
    ComPtr<IUnknown> gone;  // released outside the lock
    std::lock_guard guard(table().lock);
    auto it = table().factories.find(clsid);
    if (it == table().factories.end()) return E_INVALIDARG;
    gone = std::move(it->second);
    table().factories.erase(it);
    return S_OK;
}

void SetClassResolver(ClassResolver resolver) {
    std::lock_guard guard(table().lock);
    table().resolver = std::move(resolver);
}

HRESULT CoGetClassObject(REFCLSID clsid, std::uint32_t, void*, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    ComPtr<IUnknown> factory;
    ClassResolver resolver;
    {
        std::lock_guard guard(table().lock);
        auto it = table().factories.find(clsid);
        if (it != table().factories.end()) factory = it->second;
        else resolver = table().resolver;
    }
    if (factory) return factory->QueryInterface(riid, object);
    if (resolver) return resolver(clsid, riid, object);
    return REGDB_E_CLASSNOTREG;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, std::uint32_t context, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, uuidof<IClassFactory>(), factory.put_void());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(outer, riid, object);
}
