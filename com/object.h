// ComObject: reference counting, QueryInterface, ISupportErrorInfo and the IDispatch members for
// a class that implements one or more interfaces. Objects are created with make_com<T>(...) and handed
// out with one reference.
#pragma once

#include <atomic>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

#include "com/comptr.h"
#include "com/error_info.h"

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
        if (riid == IUnknown::iid || (riid == IDispatch::iid && std::is_base_of_v<IDispatch, first_interface>)) {
            *out = static_cast<first_interface*>(this);
        } else if (riid == ISupportErrorInfo::iid) {
            *out = static_cast<ISupportErrorInfo*>(&support_error_info_);
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

    // Dual interfaces carry IDispatch's members; nothing here binds late yet. They override where
    // an interface is dual and are plain members where none is, so they cannot say `override`.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Winconsistent-missing-override"
#endif
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) { if (pctinfo) *pctinfo = 0; return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) { if (ppTInfo) *ppTInfo = nullptr; return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) { return E_NOTIMPL; }
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

    // Further interfaces a class answers for (a base of one of its interfaces, say).
    void* query_extra(REFIID) { return nullptr; }

protected:
    virtual ~ComObject() { --module_object_count(); }

private:
    using first_interface = std::tuple_element_t<0, std::tuple<Interfaces...>>;

    // ISupportErrorInfo as a part of the object rather than a base, so that a pointer to the
    // object still converts to IUnknown one way only. It shares the object's identity and count.
    class SupportErrorInfo final : public ISupportErrorInfo {
    public:
        explicit SupportErrorInfo(ComObject& outer) : outer_(outer) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override { return outer_.QueryInterface(riid, out); }
        ULONG STDMETHODCALLTYPE AddRef() override { return outer_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return outer_.Release(); }
        // A failing member leaves error info (fail_with, hresult_from_current_exception) on every
        // interface the object answers for.
        HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
            bool ours = ((riid == uuidof<Interfaces>()) || ...) || static_cast<Derived&>(outer_).query_extra(riid);
            return ours ? S_OK : S_FALSE;
        }

    private:
        ComObject& outer_;
    };
    SupportErrorInfo support_error_info_{*this};
    std::atomic<ULONG> refs_{0};
};

// Creates T with one reference, held by the returned pointer.
template <class T, class... Args>
ComPtr<T> make_com(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    return ComPtr<T>(object);
}
