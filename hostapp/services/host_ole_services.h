// IHostOleServices: where the host keeps temporary files.
#pragma once

#include "com/object.h"
#include "contracts/host_services.h"

class HostOleServices final : public ComObject<HostOleServices, IHostOleServices> {
public:
    // The configured temporary folder, ending in '/'.
    HRESULT STDMETHODCALLTYPE get_TempPath(BSTR* location) override;
};
