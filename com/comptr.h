// The one smart pointer for interfaces.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

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

    // QueryInterface for U; empty on failure, and the HRESULT goes to hr when asked for.
    template <class U>
    ComPtr<U> query(HRESULT* hr = nullptr) const {
        ComPtr<U> out;
        HRESULT r = p_ ? p_->QueryInterface(uuidof<U>(), out.put_void()) : E_POINTER;
        if (hr) *hr = r;
        return out;
    }

private:
    T* p_ = nullptr;
};
