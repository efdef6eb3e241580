#include "hostapp/services/host_string_services.h"

#include "com/error.h"
#include "com/variant.h"

std::u16string format_text(std::u16string_view text, const SAFEARRAY* values) {
    std::uint32_t count = values ? values->count : 0;
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9') {
            std::uint32_t index = std::uint32_t(text[i + 1] - u'1');
            if (index < count) {
                Variant value;
                check(VariantCopy(value.get(), &values->data[index]));
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
