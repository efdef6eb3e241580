// ISessionContext: one session of the host on one database: a file, or the environment's database
// on a server.
#pragma once

#include <filesystem>
#include <string>

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/services/host_environment.h"

class HostSessionContext final : public ComObject<HostSessionContext, ISessionContext> {
public:
    // A session on database, numbered from a process-wide counter, with the title, timeouts and
    // hooks of environment.
    HostSessionContext(std::filesystem::path database, HostEnvironmentRef environment);

    HRESULT STDMETHODCALLTYPE get_SessionID(LONG* id) override;
    HRESULT STDMETHODCALLTYPE get_ApplicationTitle(BSTR* title) override;
    // Only the media data object's key is served: a new data object over the session's database.
    HRESULT STDMETHODCALLTYPE CreateDataObject(BSTR key, IHostDataObject** data) override;

    const std::filesystem::path& database() const { return database_; }

private:
    std::filesystem::path database_;
    HostEnvironmentRef environment_;
    LONG id_;
};

// A session on the environment's database.
ComPtr<ISessionContext> open_host_session(HostEnvironmentRef environment);
