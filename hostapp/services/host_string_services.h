// IHostStringServices: the host's text formatting.
#pragma once

#include <string>
#include <string_view>

#include "com/object.h"
#include "contracts/host_services.h"

class HostStringServices final : public ComObject<HostStringServices, IHostStringServices> {
public:
    // %1 to %9 become the texts of the first nine values; values null or empty leave text as it is.
    HRESULT STDMETHODCALLTYPE FormatText(BSTR text, SAFEARRAY** values, BSTR* result) override;
};

// One pass over text: a placeholder whose value is missing stays as written, and the text of a
// value is never looked at for placeholders again. values is a vector of variants (else 13 "Type
// mismatch") or null.
std::u16string format_text(std::u16string_view text, SAFEARRAY* values);
