// IHostPathServices: the host's well-known folders; only the page file's folder is known here.
#pragma once

#include "com/object.h"
#include "contracts/host_services.h"

class HostPathServices final : public ComObject<HostPathServices, IHostPathServices> {
public:
    HRESULT STDMETHODCALLTYPE FolderPath(LONG folder_id, BSTR* path) override;
};
