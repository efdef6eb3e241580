// IHostPathServices: the host's well-known folders; only the page file's folder is known here.
#pragma once

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/services/host_environment.h"

class HostPathServices final : public ComObject<HostPathServices, IHostPathServices> {
public:
    explicit HostPathServices(HostEnvironmentRef environment) : environment_(std::move(environment)) {}

    HRESULT STDMETHODCALLTYPE FolderPath(LONG folder_id, BSTR* path) override;

private:
    HostEnvironmentRef environment_;
};
