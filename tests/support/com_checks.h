// Checks on COM objects and run-time errors.
#pragma once

#include <functional>
#include <optional>
#include <ostream>

#include "com/error.h"
#include "com/unknown.h"

// The reference count of object, read without changing it.
inline ULONG ref_count(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// The run-time error action raises, if any.
inline std::optional<ComError> error_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const ComError& e) {
        return e;
    }
    return std::nullopt;
}

// Its number, or 0 when action raises none.
inline int error_number(const std::function<void()>& action) {
    auto error = error_of(action);
    return error ? int(error->number) : 0;
}

// The named error action raises; RuntimeError{} when it raises none.
inline RuntimeError raised(const std::function<void()>& action) { return RuntimeError(error_number(action)); }

// Failures show the error's number.
inline void PrintTo(RuntimeError error, std::ostream* os) { *os << error_number(error); }
