#include "com/error.h"

#include <new>

#include "com/bstr.h"
#include "com/comptr.h"
#include "com/error_info.h"
#include "com/utf.h"

namespace {

struct HresultText {
    HRESULT hr;
    const char16_t* text;
};

// The texts the platform gives failures that are HRESULTs rather than run-time errors.
constexpr HresultText kHresultTexts[] = {
    {E_NOTIMPL, u"Not implemented"},
    {E_NOINTERFACE, u"No such interface supported"},
    {E_POINTER, u"Invalid pointer"},
    {E_FAIL, u"Unspecified error"},
    {E_UNEXPECTED, u"Catastrophic failure"},
    {E_OUTOFMEMORY, u"Out of memory"},
    {E_INVALIDARG, u"The parameter is incorrect."},
    {CLASS_E_NOAGGREGATION, u"Class does not support aggregation (or class object is remote)"},
    {CLASS_E_CLASSNOTAVAILABLE, u"ClassFactory cannot supply requested class"},
    {REGDB_E_CLASSNOTREG, u"Class not registered"},
};

}  // namespace

ComError::ComError(RuntimeError error) : ComError(error, std::u16string(standard_text(error))) {}

ComError::ComError(RuntimeError error, std::u16string description_, std::u16string source_)
    : ComError(error_number(error), std::move(description_), std::move(source_)) {}

ComError::ComError(std::int32_t number_, std::u16string description_, std::u16string source_)
    : number(number_), description(std::move(description_)), source(std::move(source_)),
      what_("error " + std::to_string(number_) + ": " + utf8(description)) {}

void raise_error(std::int32_t number, std::u16string description, std::u16string source) {
    throw ComError(number, std::move(description), std::move(source));
}

void raise_error(RuntimeError error, std::u16string description, std::u16string source) {
    throw ComError(error, std::move(description), std::move(source));
}

void raise_standard_error(RuntimeError error) { throw ComError(error); }

std::u16string standard_error_text(std::int32_t number) {
    if (number > 0) return std::u16string(standard_text(RuntimeError(number)));
    for (const auto& entry : kHresultTexts)
        if (entry.hr == number) return entry.text;
    return {};
}

std::u16string error_text(const ComError& error) {
    if (!error.description.empty()) return error.description;
    std::u16string text = standard_error_text(error.number);
    return text.empty() ? u"Application-defined or object-defined error" : text;
}

namespace {

[[noreturn]] void raise_failure(HRESULT hr, const ErrorRecord* record) {
    if (record) throw ComError(record->number, record->description, record->source);
    std::int32_t number = error_number_from_hresult(hr);
    throw ComError(number, standard_error_text(number));
}

// The platform's strings come in as writable pointers it does not write through.
LPOLESTR ole_text(const std::u16string& text) { return const_cast<LPOLESTR>(reinterpret_cast<LPCOLESTR>(text.c_str())); }

void set_error_info(const ComError& error) {
    ComPtr<ICreateErrorInfo> created;
    ComPtr<IErrorInfo> info;
    if (FAILED(CreateErrorInfo(created.put())) || FAILED(created->SetDescription(ole_text(error.description))) ||
        FAILED(created->SetSource(ole_text(error.source))) ||
        FAILED(created->QueryInterface(uuidof<IErrorInfo>(), info.put_void())))
        info.reset();  // no error info beats an earlier failure's
    SetErrorInfo(0, info.get());
}

}  // namespace

bool GetErrorRecord(HRESULT hr, ErrorRecord* out) {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) return false;
    Bstr description, source;
    if (FAILED(info->GetDescription(description.put())) || FAILED(info->GetSource(source.put()))) return false;
    out->number = error_number_from_hresult(hr);
    out->description = description.str();
    out->source = source.str();
    return true;
}

bool GetErrorRecord(HRESULT hr, IUnknown* callee, REFIID riid, ErrorRecord* out) {
    ComPtr<ISupportErrorInfo> support;
    if (!callee || FAILED(callee->QueryInterface(uuidof<ISupportErrorInfo>(), support.put_void())) || !support ||
        support->InterfaceSupportsErrorInfo(riid) != S_OK)
        return false;
    return GetErrorRecord(hr, out);
}

void check(HRESULT hr) {
    if (SUCCEEDED(hr)) return;
    ErrorRecord record;
    raise_failure(hr, GetErrorRecord(hr, &record) ? &record : nullptr);
}

void check(HRESULT hr, IUnknown* callee, REFIID riid) {
    if (SUCCEEDED(hr)) return;
    ErrorRecord record;
    raise_failure(hr, GetErrorRecord(hr, callee, riid, &record) ? &record : nullptr);
}

HRESULT fail_with(const ComError& error) noexcept {
    try {
        set_error_info(error);
    } catch (...) {
        SetErrorInfo(0, nullptr);
    }
    return error.hresult();
}

ComError error_from_current_exception() {
    try {
        throw;
    } catch (const ComError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return ComError(RuntimeError::OutOfMemory);
    } catch (const std::exception& e) {
        return ComError(E_FAIL, utf16(e.what()));
    } catch (...) {
        return ComError(E_FAIL, u"Unspecified error");
    }
}

HRESULT hresult_from_current_exception() noexcept {
    try {
        return fail_with(error_from_current_exception());
    } catch (...) {
        return E_OUTOFMEMORY;  // not even the error could be made
    }
}
