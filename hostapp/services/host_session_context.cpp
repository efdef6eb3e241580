#include "hostapp/services/host_session_context.h"

#include <atomic>
#include <memory>

#include "com/error.h"
#include "hostapp/services/host_data_object.h"
#include "hostapp/db/host_database.h"
#include "hostapp/db/database_backend.h"
#include "hostapp/db/database_location.h"

namespace {

LONG next_session_id() {
    static std::atomic<LONG> counter{0};
    return ++counter;
}

// The session's database: the file, or, without one, the environment's database on a server.
std::shared_ptr<HostDatabase> open_host_database(const HostEnvironment& environment, const std::filesystem::path& file) {
    const DatabaseLocation location = file.empty() && !environment.connection.empty()
                                          ? DatabaseLocation::on_server(environment.connection)
                                          : DatabaseLocation::of_file(file);
    return std::make_shared<HostDatabase>(
        open_database_backend(location, environment.busy_timeout_ms, environment.hooks.write_backs), environment.hooks);
}

std::u16string media_data_object_key() {
    return std::u16string(kDataObjectKeyHead) + kDataObjectKeyTail;
}

}  // namespace

HostSessionContext::HostSessionContext(std::filesystem::path database, HostEnvironmentRef environment)
    : database_(std::move(database)), environment_(std::move(environment)), id_(next_session_id()) {}

HRESULT STDMETHODCALLTYPE HostSessionContext::get_SessionID(LONG* id)
try {
    if (!id) return E_POINTER;
    *id = id_;
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE HostSessionContext::get_ApplicationTitle(BSTR* title)
try {
    if (!title) return E_POINTER;
    *title = nullptr;
    *title = make_bstr(environment_->application_title);
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE HostSessionContext::CreateDataObject(BSTR key, IHostDataObject** data)
try {
    if (!data) return E_POINTER;
    *data = nullptr;
    if (bstr_view(key) != media_data_object_key())
        raise_error(RuntimeError::InvalidProcedureCall, u"CreateDataObject: \"" + std::u16string(bstr_view(key)) +
                                                            u"\" is not the key of a data object of this host.");
    *data = make_com<HostDataObject>(open_host_database(*environment_, database_)).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

ComPtr<ISessionContext> open_host_session(HostEnvironmentRef environment) {
    std::filesystem::path database = environment->database;
    return make_com<HostSessionContext>(std::move(database), std::move(environment));
}
