// The one smart pointer for interfaces.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include "com/error.h"
#include "com/unknown.h"

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // From a raw pointer: adds a reference; the caller keeps its own.
    ComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
    // Moving does not touch the count.
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    // From a pointer to a derived interface or class (an upcast, never a query).
    template <class U>
        requires std::is_convertible_v<U*, T*>
    ComPtr(const ComPtr<U>& o) : ComPtr(static_cast<T*>(o.get())) {}
    template <class U>
        requires std::is_convertible_v<U*, T*>
    ComPtr(ComPtr<U>&& o) noexcept : p_(o.detach()) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr o) noexcept { std::swap(p_, o.p_); return *this; }

    // Takes a reference over without adding one.
    static ComPtr attach(T* p) { ComPtr c; c.p_ = p; return c; }
    // Gives the reference up without releasing it.
    T* detach() { return std::exchange(p_, nullptr); }
    // Releases what it holds before handing out its address, so reuse as an out-parameter cannot leak.
    T** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    void reset() { if (T* p = std::exchange(p_, nullptr)) p->Release(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }

    // QueryInterface for U, for code that needs the interface: never empty. Nothing to ask raises
    // ObjectVariableNotSet; an object without U raises the failure QueryInterface returned, with
    // its standard text (E_NOINTERFACE, "No such interface supported")...
    template <class U>
    ComPtr<U> query() const {
        if (!p_) raise_standard_error(RuntimeError::ObjectVariableNotSet);
        HRESULT hr = S_OK;
        ComPtr<U> out = try_query<U>(&hr);
        if (!out) {
            std::int32_t number = error_number_from_hresult(FAILED(hr) ? hr : E_NOINTERFACE);
            raise_error(number, standard_error_text(number));
        }
        return out;
    }
    // ... or, where the caller's contract names the error for an object of the wrong kind (a
    // failed Set is TypeMismatch), that error with its standard text.
    template <class U>
    ComPtr<U> query(RuntimeError wrong_kind) const {
        if (!p_) raise_standard_error(RuntimeError::ObjectVariableNotSet);
        ComPtr<U> out = try_query<U>();
        if (!out) raise_standard_error(wrong_kind);
        return out;
    }
    // QueryInterface for U, for code that can do without it: empty on failure, and the HRESULT
    // goes to hr when asked for.
    template <class U>
    ComPtr<U> try_query(HRESULT* hr = nullptr) const {
        ComPtr<U> out;
        HRESULT r = p_ ? p_->QueryInterface(uuidof<U>(), out.put_void()) : E_POINTER;
        if (hr) *hr = r;
        return out;
    }

private:
    T* p_ = nullptr;
};
