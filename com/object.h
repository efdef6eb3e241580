// ComObject: reference counting, QueryInterface and the unused IDispatch members for a class
// that implements one or more interfaces. Objects are created with make_com<T>(...) and handed
// out with one reference.
#pragma once

#include <atomic>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

#include "com/comptr.h"

// Live objects and server locks of the module that compiles this header (modules are built with
// hidden visibility, so each has its own count); DllCanUnloadNow reads it.
inline std::atomic<long>& module_object_count() {
    static std::atomic<long> count{0};
    return count;
}

template <class Derived, class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() { ++module_object_count(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == uuidof<IUnknown>() ||
            (riid == uuidof<IDispatch>() && std::is_base_of_v<IDispatch, first_interface>)) {
            *out = static_cast<first_interface*>(this);
        } else {
            (void)((riid == uuidof<Interfaces>() ? (*out = static_cast<Interfaces*>(this), true) : false) || ...);
            if (!*out) *out = static_cast<Derived*>(this)->query_extra(riid);
        }
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }

    // Dual interfaces carry IDispatch's members; nothing here binds late. They override where an
    // interface is dual and are plain members where none is, so they cannot say `override`.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Winconsistent-missing-override"
#endif
#ifdef _WIN32
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) { if (count) *count = 0; return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) { if (info) *info = nullptr; return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) { return E_NOTIMPL; }
#else
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(unsigned* count) { if (count) *count = 0; return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(unsigned, std::uint32_t, ITypeInfo** info) { if (info) *info = nullptr; return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, char16_t**, unsigned, std::uint32_t, DISPID*) { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, std::uint32_t, std::uint16_t, void*, VARIANT*, void*, unsigned*) { return E_NOTIMPL; }
#endif
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

    // Further interfaces a class answers for (a base of one of its interfaces, say).
    void* query_extra(REFIID) { return nullptr; }

protected:
    virtual ~ComObject() { --module_object_count(); }

private:
    using first_interface = std::tuple_element_t<0, std::tuple<Interfaces...>>;
    std::atomic<ULONG> refs_{0};
};

// Creates T with one reference, held by the returned pointer.
template <class T, class... Args>
ComPtr<T> make_com(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    return ComPtr<T>(object);
}
