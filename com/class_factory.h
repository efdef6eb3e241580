// Class objects and object creation by class identifier.
#pragma once

#include <functional>
#include <new>
#include <tuple>
#include <utility>

#include "com/error.h"
#include "com/object.h"

#ifndef _WIN32
struct IClassFactory : IUnknown {
    static constexpr IID iid = make_guid("{00000001-0000-0000-C000-000000000046}");
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(int lock) = 0;

protected:
    ~IClassFactory() = default;
};
#endif

// A class object that creates T, made from copies of the arguments the class object was made with
// (none: default-constructed), and counts locks with the module's objects.
template <class T, class... Args>
class ClassFactory final : public ComObject<ClassFactory<T, Args...>, IClassFactory> {
public:
    explicit ClassFactory(Args... args) : args_(std::move(args)...) {}

    // Fails with what went wrong, *object null: E_OUTOFMEMORY when memory ran out, the error T's
    // constructor raised (with the thread's error info), or the failure of T's QueryInterface,
    // after which the object made is released.
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override
    try {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return std::apply([](const Args&... args) { return make_com<T>(args...); }, args_)->QueryInterface(riid, object);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return hresult_from_current_exception();
    }
    HRESULT STDMETHODCALLTYPE LockServer(int lock) override {
        if (lock) ++module_object_count();
        else --module_object_count();
        return S_OK;
    }

private:
    std::tuple<Args...> args_;
};

#ifndef _WIN32
// The stand-in runtime's class objects (com/class_objects.cpp); Windows has its own.
inline constexpr std::uint32_t CLSCTX_INPROC_SERVER = 1;

// Classes of the running program (the host's own creatable components) register here; anything
// else is looked up by the resolver that the module loader installs (registry and module file).
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory);
HRESULT CoRevokeClassObject(REFCLSID clsid);
using ClassResolver = std::function<HRESULT(REFCLSID clsid, REFIID riid, void** factory)>;
void SetClassResolver(ClassResolver resolver);
HRESULT CoGetClassObject(REFCLSID clsid, std::uint32_t context, void* reserved, REFIID riid, void** object);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, std::uint32_t context, REFIID riid, void** object);
#endif

// Raises the failure of creating a component: the callee's error, else CannotCreateObject.
[[noreturn]] void throw_create_failure(HRESULT hr);

// Typed convenience: creates clsid for interface I, raising the platform's error on failure.
template <class I>
ComPtr<I> create_instance(REFCLSID clsid);

template <class I>
ComPtr<I> create_instance(REFCLSID clsid) {
    ComPtr<I> out;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, uuidof<I>(), out.put_void());
    if (FAILED(hr)) throw_create_failure(hr);
    return out;
}
