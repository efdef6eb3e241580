// IHostDataObject: the media data of one session's database, through one connection object and
// one command object that keeps its record sources.
#pragma once

#include <memory>

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/services/host_command.h"
#include "hostapp/services/host_connection.h"
#include "hostapp/db/host_database.h"

class HostDataObject final : public ComObject<HostDataObject, IHostDataObject> {
public:
    explicit HostDataObject(std::shared_ptr<HostDatabase> database);

    HRESULT STDMETHODCALLTYPE get_Connection(IHostConnection** connection) override;
    HRESULT STDMETHODCALLTYPE get_RecordSources(IHostCommand** command) override;

private:
    ComPtr<HostConnection> connection_;
    ComPtr<HostCommand> command_;
};
