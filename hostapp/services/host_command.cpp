#include "hostapp/services/host_command.h"

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/database_error.h"

HRESULT STDMETHODCALLTYPE HostCommand::CreateRecordSource(VARIANT, IHostRecordSource** source)
try {
    if (!source) return E_POINTER;
    *source = nullptr;
    std::u16string key = u"RecordSource" + utf16(std::to_string(next_number_++));
    ComPtr<HostRecordSource> created = make_com<HostRecordSource>(key, database_);
    sources_.emplace(key, created);
    *source = created.detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE HostCommand::ReleaseRecordSource(VARIANT key)
try {
    if (key.vt != VT_BSTR) raise_standard_error(RuntimeError::TypeMismatch);
    std::u16string text(bstr_view(key.bstrVal));
    if (sources_.erase(text) == 0) raise_database_error(u"No record source has the key \"" + text + u"\".");
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
