// IHostOleServices: where the host keeps temporary files.
#pragma once

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/services/host_environment.h"

class HostOleServices final : public ComObject<HostOleServices, IHostOleServices> {
public:
    explicit HostOleServices(HostEnvironmentRef environment) : environment_(std::move(environment)) {}

    // The configured temporary folder, ending in '/'.
    HRESULT STDMETHODCALLTYPE get_TempPath(BSTR* location) override;

private:
    HostEnvironmentRef environment_;
};
