// The record set a caller opens only to write back through UpdateField: it has no rows.
#pragma once

#include <memory>

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/db/host_database.h"

class WriteBackRecordset final : public ComObject<WriteBackRecordset, IHostRecordset> {
public:
    explicit WriteBackRecordset(std::shared_ptr<HostDatabase> database) : database_(std::move(database)) {}

    HRESULT STDMETHODCALLTYPE get_FieldValue(VARIANT column, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE MoveNext() override;
    HRESULT STDMETHODCALLTYPE get_EOF(VARIANT_BOOL* eof) override;
    HRESULT STDMETHODCALLTYPE Close() override;
    // Each call is its own committed transaction; result is the number of records written (1).
    HRESULT STDMETHODCALLTYPE UpdateField(BSTR table, BSTR field, BSTR key_field, VARIANT* key, VARIANT* value,
                        SHORT* result) override;

private:
    std::shared_ptr<HostDatabase> database_;
    bool closed_ = false;
};
