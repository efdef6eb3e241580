// KWOpen: the host's stand-alone API. Initialize opens a session on a database without the host's
// shell: the one named, else the installation's default (the host's database, PATHMENDER_DB
// unless the host was set up on another).
#pragma once

#include <string>

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/services/host_environment.h"

class KWOpen final : public ComObject<KWOpen, IKWOpen> {
public:
    explicit KWOpen(HostEnvironmentRef environment) : environment_(std::move(environment)) {}

    // True when a session is open; otherwise false, with LastError saying what is missing.
    HRESULT STDMETHODCALLTYPE Initialize(BSTR application_key, BSTR user, BSTR password, LONG flags, BSTR database, LONG options,
                       VARIANT_BOOL* opened) override;
    HRESULT STDMETHODCALLTYPE get_SessionContext(ISessionContext** context) override;
    HRESULT STDMETHODCALLTYPE get_LastError(BSTR* text) override;

private:
    // Initialize without a database file, on the environment's database on a server.
    HRESULT open_on_server(VARIANT_BOOL* opened);
    HostEnvironmentRef environment_;
    ComPtr<ISessionContext> session_;
    std::u16string last_error_;
};
