// IHostConnection: opens record sets over the session's database.
#pragma once

#include <memory>

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/db/host_database.h"

class HostConnection final : public ComObject<HostConnection, IHostConnection> {
public:
    explicit HostConnection(std::shared_ptr<HostDatabase> database) : database_(std::move(database)) {}

    // kRecordsetForward runs query and stands on its first row; kRecordsetWriteBack (query empty)
    // gives a record set for UpdateField only. number and text are left as they are.
    HRESULT STDMETHODCALLTYPE OpenRecordset(BSTR query, LONG options, BSTR source, LONG* number, BSTR* text,
                          IHostRecordset** recordset) override;

private:
    std::shared_ptr<HostDatabase> database_;
};
