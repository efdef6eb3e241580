// IHostApplication: the application object the host hands to a plug-in's OnInit.
#pragma once

#include "com/object.h"
#include "contracts/host_services.h"
#include "hostapp/services/host_application_context.h"

class HostApplication final : public ComObject<HostApplication, IHostApplication> {
public:
    explicit HostApplication(ComPtr<ISessionContext> session)
        : context_(make_com<HostApplicationContext>(std::move(session))) {}

    HRESULT STDMETHODCALLTYPE get_ApplicationContext(IHostApplicationContext** context) override;

private:
    ComPtr<HostApplicationContext> context_;
};

// The application object of a host whose present session is session.
ComPtr<IHostApplication> create_host_application(ComPtr<ISessionContext> session);
