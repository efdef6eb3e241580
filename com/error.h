// Run-time errors: numbered, with a description and a source. Inside a module code throws
// ComError, the one error type; every interface member converts it to an HRESULT plus the
// thread's error info, and every call into another object converts back with check().
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "com/hresult.h"
#include "com/runtime_error.h"
#include "com/unknown.h"

template <class T>
class ComPtr;

struct ComError : std::exception {
    // With the platform's standard text for error.
    explicit ComError(RuntimeError error);
    ComError(RuntimeError error, std::u16string description, std::u16string source = {});
    // A number from elsewhere: a callee's error, or an HRESULT standing for one.
    ComError(std::int32_t number, std::u16string description, std::u16string source = {});
    const char* what() const noexcept override { return what_.c_str(); }
    HRESULT hresult() const { return hresult_from_error_number(number); }

    std::int32_t number;
    std::u16string description;
    std::u16string source;

private:
    std::string what_;
};

[[noreturn]] void raise_error(RuntimeError error, std::u16string description = {},
                              std::u16string source = {});
// Raises a number from elsewhere (see ComError).
[[noreturn]] void raise_error(std::int32_t number, std::u16string description = {},
                              std::u16string source = {});
// Raises error with the platform's standard text for it.
[[noreturn]] void raise_standard_error(RuntimeError error);

// The platform's standard text for a run-time error number or a failure HRESULT; empty if unknown.
std::u16string standard_error_text(std::int32_t number);
// What to tell the user of an error: its description, else the standard text for its number.
std::u16string error_text(const ComError& error);

// What a failed call leaves its caller: the number its HRESULT carries, the description and source
// its error info carries.
struct ErrorRecord {
    std::int32_t number = 0;
    std::u16string description;
    std::u16string source;
};
// The failure hr with the thread's error info, which it takes (GetErrorInfo); false, out untouched,
// when the thread has none. For calls whose callee leaves error info on every failure, as every
// ComObject does.
bool GetErrorRecord(HRESULT hr, ErrorRecord* out);
// As a caller of another's server reads it: the error info only when callee answers
// ISupportErrorInfo for the interface called, riid.
bool GetErrorRecord(HRESULT hr, IUnknown* callee, REFIID riid, ErrorRecord* out);

// A failing HRESULT becomes a ComError carrying the callee's number and description (without error
// info, the standard text for the number).
void check(HRESULT hr);
// The same for a call on callee's interface I, whose error info is read only where callee says it
// leaves it.
void check(HRESULT hr, IUnknown* callee, REFIID riid);
template <class I>
void check(HRESULT hr, I* callee) {
    if (FAILED(hr)) check(hr, callee, uuidof<I>());
}
template <class I>
void check(HRESULT hr, const ComPtr<I>& callee) {
    check(hr, callee.get());
}
// Inside catch(...): the HRESULT for the exception in flight, with the thread's error info set.
HRESULT hresult_from_current_exception() noexcept;
// Inside catch(...): the exception in flight as the one error type (the one place that sorts them).
ComError error_from_current_exception();
// Leaves the description and source of error as the thread's error info and returns its HRESULT,
// which carries the number.
HRESULT fail_with(const ComError& error) noexcept;
