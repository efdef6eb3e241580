#include "hostapp/services/host_data_object.h"

#include "com/error.h"

HostDataObject::HostDataObject(std::shared_ptr<HostDatabase> database)
    : connection_(make_com<HostConnection>(database)), command_(make_com<HostCommand>(database)) {}

HRESULT STDMETHODCALLTYPE HostDataObject::get_Connection(IHostConnection** connection)
try {
    if (!connection) return E_POINTER;
    *connection = nullptr;
    *connection = ComPtr<IHostConnection>(connection_.get()).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE HostDataObject::get_RecordSources(IHostCommand** command)
try {
    if (!command) return E_POINTER;
    *command = nullptr;
    // The same command each time: a record source is released through the command that made it.
    *command = ComPtr<IHostCommand>(command_.get()).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
