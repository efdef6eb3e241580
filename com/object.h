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
#include "com/type_info.h"

// Live objects and server locks of the module that compiles this header (modules are built with
// hidden visibility, so each has its own count); DllCanUnloadNow reads it.
inline std::atomic<long>& module_object_count() {
    static std::atomic<long> count{0};
    return count;
}

// IDispatch's members for one dual interface I of Derived, answered through the type info Derived
// gives for I (Derived::type_info), as the platform's DispInvoke does: each dual interface binds
// late to its own members. Without a type info nothing binds late. Interfaces that are not dual
// get nothing added.
template <class Derived, class I, bool Dual = std::is_base_of_v<IDispatch, I>>
class DispatchFor : public I {};

template <class Derived, class I>
class DispatchFor<Derived, I, true> : public I {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {
        if (!pctinfo) return E_POINTER;
        *pctinfo = info() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo) override {
        if (!ppTInfo) return E_POINTER;
        *ppTInfo = nullptr;
        ITypeInfo* type_info = info();
        if (!type_info) return E_NOTIMPL;
        if (iTInfo != 0) return DISP_E_BADINDEX;
        type_info->AddRef();
        *ppTInfo = type_info;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                            DISPID* rgDispId) override {
        if (riid != GUID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo* type_info = info();
        return type_info ? DispGetIDsOfNames(type_info, rgszNames, cNames, rgDispId) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags, DISPPARAMS* pDispParams,
                                     VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
        if (riid != GUID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo* type_info = info();
        if (!type_info) return E_NOTIMPL;
        return DispInvoke(static_cast<I*>(this), type_info, dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo,
                          puArgErr);
    }

private:
    ITypeInfo* info() { return static_cast<Derived*>(this)->type_info(uuidof<I>()); }
};

// Whether T's objects count as the module's: all do but those of a class that declares
// `static constexpr bool kModuleObject = false;` (the runtime's own, which outlive any module).
template <class T>
constexpr bool counts_with_module() {
    if constexpr (requires { T::kModuleObject; }) return T::kModuleObject;
    else return true;
}

template <class Derived, class... Interfaces>
class ComObject : public DispatchFor<Derived, Interfaces>... {
public:
    ComObject() {
        if constexpr (counts_with_module<Derived>()) ++module_object_count();
    }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == uuidof<IUnknown>() ||
            (riid == uuidof<IDispatch>() && std::is_base_of_v<IDispatch, first_interface>)) {
            *out = static_cast<first_interface*>(this);
        } else if (riid == uuidof<ISupportErrorInfo>()) {
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

    // The type info for late binding to interface iid, held by the class: none by default.
    ITypeInfo* type_info(REFIID) { return nullptr; }

    // Further interfaces a class answers for (a base of one of its interfaces, say).
    void* query_extra(REFIID) { return nullptr; }

protected:
    virtual ~ComObject() {
        if constexpr (counts_with_module<Derived>()) --module_object_count();
    }

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
