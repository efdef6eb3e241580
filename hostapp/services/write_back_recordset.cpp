#include "hostapp/services/write_back_recordset.h"

#include "com/error.h"
#include "hostapp/db/database_error.h"

void WriteBackRecordset::check_open() const {
    if (closed_) raise_database_error(u"The record set is closed.");
}

HRESULT WriteBackRecordset::get_FieldValue(VARIANT, VARIANT* value)
try {
    if (!value) return E_POINTER;
    VariantInit(value);
    check_open();
    raise_database_error(u"A record set opened for write-back has no rows to read.");
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT WriteBackRecordset::MoveNext()
try {
    check_open();
    raise_database_error(u"A record set opened for write-back has no rows to read.");
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT WriteBackRecordset::get_EOF(VARIANT_BOOL* eof)
try {
    if (!eof) return E_POINTER;
    *eof = VARIANT_TRUE;
    check_open();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT WriteBackRecordset::Close()
try {
    check_open();
    closed_ = true;
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT WriteBackRecordset::UpdateField(BSTR table, BSTR field, BSTR key_field, VARIANT* key, VARIANT* value,
                                        SHORT* result)
try {
    if (!result) return E_POINTER;
    *result = 0;
    if (!key || !value) return E_POINTER;
    check_open();
    database_->write_field(bstr_view(table), bstr_view(field), bstr_view(key_field), *key, *value);
    *result = 1;
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
