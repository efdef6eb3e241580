#include "wsh_collection.h"

#include "com/error.h"

namespace {

std::int64_t integer_index(const VARIANT& index) {
    switch (index.vt) {
    case VT_I2: return index.iVal;
    case VT_I4: return index.lVal;
    case VT_I4 | VT_BYREF:
        if (!index.plVal) raise_standard_error(RuntimeError::InvalidProcedureCall);
        return *index.plVal;
    default: raise_standard_error(RuntimeError::TypeMismatch);
    }
}

}  // namespace

WshCollection::WshCollection(std::vector<std::u16string> items) : items_(std::move(items)) {}

HRESULT STDMETHODCALLTYPE WshCollection::Item(VARIANT* index, VARIANT* value)
try {
    if (!value) return E_POINTER;
    VariantInit(value);
    if (!index) return E_POINTER;
    std::int64_t at = integer_index(*index);
    if (at < 0 || at >= std::int64_t(items_.size())) raise_standard_error(RuntimeError::SubscriptOutOfRange);
    BSTR text = make_bstr(items_[std::size_t(at)]);
    value->vt = VT_BSTR;
    value->bstrVal = text;
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE WshCollection::Count(LONG* count)
try {
    if (!count) return E_POINTER;
    *count = 0;
    *count = LONG(items_.size());
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
