#include "hostapp/services/write_back_recordset.h"

#include "com/error.h"
#include "com/utf.h"
#include "com/variant.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"

HRESULT STDMETHODCALLTYPE WriteBackRecordset::get_FieldValue(VARIANT, VARIANT* value)
try {
    if (!value) return E_POINTER;
    VariantInit(value);
    check_open(closed_);
    raise_database_error(u"A record set opened for write-back has no rows to read.");
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE WriteBackRecordset::MoveNext()
try {
    check_open(closed_);
    raise_database_error(u"A record set opened for write-back has no rows to read.");
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE WriteBackRecordset::get_EOF(VARIANT_BOOL* eof)
try {
    if (!eof) return E_POINTER;
    *eof = VARIANT_TRUE;
    check_open(closed_);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE WriteBackRecordset::Close()
try {
    check_open(closed_);
    closed_ = true;
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE WriteBackRecordset::UpdateField(BSTR table, BSTR field, BSTR key_field, VARIANT* key, VARIANT* value,
                                        SHORT* result)
try {
    if (!result) return E_POINTER;
    *result = 0;
    if (!key || !value) return E_POINTER;
    check_open(closed_);
    fail_if_interrupted(database_->hooks().interrupted);
    const std::vector<std::uint8_t> written =
        database_->write_field(bstr_view(table), bstr_view(field), bstr_view(key_field), *key, *value);
    *result = 1;
    if (RunWatcher* watcher = database_->hooks().watcher)
        watcher->written_back(*find_media_table(bstr_view(table)), key_text(*key), written);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
