// IHostApplicationContext: what the host application knows of its present session.
#pragma once

#include "com/object.h"
#include "contracts/host_services.h"

class HostApplicationContext final : public ComObject<HostApplicationContext, IHostApplicationContext> {
public:
    explicit HostApplicationContext(ComPtr<ISessionContext> session) : session_(std::move(session)) {}

    HRESULT STDMETHODCALLTYPE get_Session(IDispatch** session) override;

private:
    ComPtr<ISessionContext> session_;
};
