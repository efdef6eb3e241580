#include "hostapp/services/host_string_services.h"

#include "com/error.h"
#include "com/safearray.h"
#include "com/variant.h"

std::u16string format_text(std::u16string_view text, SAFEARRAY* values) {
    // %1 is the first element, whatever the array's lower bound.
    LONG lower = 0, upper = -1;
    if (values) {
        VARTYPE vt = VT_EMPTY;
        if (SafeArrayGetDim(values) != 1 || FAILED(SafeArrayGetVartype(values, &vt)) || vt != VT_VARIANT)
            raise_standard_error(RuntimeError::TypeMismatch);
        check(SafeArrayGetLBound(values, 1, &lower));
        check(SafeArrayGetUBound(values, 1, &upper));
    }
    const std::int64_t count = std::int64_t(upper) - lower + 1;
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9') {
            std::int64_t index = text[i + 1] - u'1';
            if (index < count) {
                LONG at = LONG(lower + index);
                Variant value;
                check(SafeArrayGetElement(values, &at, value.put()));
                result += value.to_text();
                ++i;
                continue;
            }
        }
        result.push_back(text[i]);
    }
    return result;
}

HRESULT STDMETHODCALLTYPE HostStringServices::FormatText(BSTR text, SAFEARRAY** values, BSTR* result)
try {
    if (!result) return E_POINTER;
    *result = nullptr;
    *result = make_bstr(format_text(bstr_view(text), values ? *values : nullptr));
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
