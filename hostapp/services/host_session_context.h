// ISessionContext: one session of the host on one database file.
#pragma once

#include <filesystem>
#include <string>

#include "com/object.h"
#include "contracts/host_services.h"

class HostSessionContext final : public ComObject<HostSessionContext, ISessionContext> {
public:
    // A session numbered from a process-wide counter.
    HostSessionContext(std::filesystem::path database, std::u16string application_title, int busy_timeout_ms);

    HRESULT STDMETHODCALLTYPE get_SessionID(LONG* id) override;
    HRESULT STDMETHODCALLTYPE get_ApplicationTitle(BSTR* title) override;
    // Only the media data object's key is served: a new data object over the session's database.
    HRESULT STDMETHODCALLTYPE CreateDataObject(BSTR key, IHostDataObject** data) override;

    const std::filesystem::path& database() const { return database_; }

private:
    std::filesystem::path database_;
    std::u16string application_title_;
    int busy_timeout_ms_;
    LONG id_;
};

// A session on database with the configured title and timeouts (see host_environment.h).
ComPtr<ISessionContext> open_host_session(const std::filesystem::path& database);
