#include "com/error.h"

#include <new>
#include <optional>

#include "com/utf.h"

namespace {

thread_local std::optional<ErrorRecord> t_record;

struct StandardText {
    std::int32_t number;
    const char16_t* text;
};

// The texts the platform gives these numbers.
constexpr StandardText kStandardTexts[] = {
    {3, u"Return without GoSub"},
    {5, u"Invalid procedure call or argument"},
    {6, u"Overflow"},
    {7, u"Out of memory"},
    {9, u"Subscript out of range"},
    {11, u"Division by zero"},
    {13, u"Type mismatch"},
    {28, u"Out of stack space"},
    {52, u"Bad file name or number"},
    {53, u"File not found"},
    {54, u"Bad file mode"},
    {55, u"File already open"},
    {57, u"Device I/O error"},
    {58, u"File already exists"},
    {61, u"Disk full"},
    {62, u"Input past end of file"},
    {67, u"Too many files"},
    {68, u"Device unavailable"},
    {70, u"Permission denied"},
    {71, u"Disk not ready"},
    {75, u"Path/File access error"},
    {76, u"Path not found"},
    {91, u"Object variable or With block variable not set"},
    {94, u"Invalid use of Null"},
    {380, u"Invalid property value"},
    {424, u"Object required"},
    {429, u"ActiveX component can't create object"},
    {430, u"Class does not support Automation or does not support expected interface"},
    {438, u"Object doesn't support this property or method"},
    {440, u"Automation error"},
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

ComError::ComError(std::int32_t number_, std::u16string description_, std::u16string source_)
    : number(number_), description(std::move(description_)), source(std::move(source_)),
      what_("error " + std::to_string(number_) + ": " + utf8(description)) {}

void raise_error(std::int32_t number, std::u16string description, std::u16string source) {
    throw ComError(number, std::move(description), std::move(source));
}

void raise_standard_error(std::int32_t number) { raise_error(number, standard_error_text(number)); }

std::u16string standard_error_text(std::int32_t number) {
    for (const auto& entry : kStandardTexts)
        if (entry.number == number) return entry.text;
    return {};
}

std::u16string error_text(const ComError& error) {
    if (!error.description.empty()) return error.description;
    std::u16string text = standard_error_text(error.number);
    return text.empty() ? u"Application-defined or object-defined error" : text;
}

void SetErrorRecord(ErrorRecord record) { t_record = std::move(record); }
void ClearErrorRecord() { t_record.reset(); }

bool GetErrorRecord(HRESULT hr, ErrorRecord* out) {
    if (!t_record || hresult_from_error_number(t_record->number) != hr) return false;
    *out = *t_record;
    return true;
}

void check(HRESULT hr) {
    if (SUCCEEDED(hr)) return;
    ErrorRecord record;
    if (GetErrorRecord(hr, &record)) {
        ClearErrorRecord();
        throw ComError(record.number, std::move(record.description), std::move(record.source));
    }
    std::int32_t number = error_number_from_hresult(hr);
    throw ComError(number, standard_error_text(number));
}

HRESULT fail_with(const ComError& error) noexcept {
    try {
        SetErrorRecord({error.number, error.description, error.source});
    } catch (...) {
        ClearErrorRecord();
    }
    return error.hresult();
}

HRESULT hresult_from_current_exception() noexcept {
    try {
        throw;
    } catch (const ComError& e) {
        return fail_with(e);
    } catch (const std::bad_alloc&) {
        return fail_with(ComError(7, u"Out of memory"));
    } catch (const std::exception& e) {
        return fail_with(ComError(E_FAIL, utf16(e.what())));
    } catch (...) {
        return fail_with(ComError(E_FAIL, u"Unspecified error"));
    }
}
