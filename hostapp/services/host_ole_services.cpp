#include "hostapp/services/host_ole_services.h"

#include "com/error.h"

HRESULT STDMETHODCALLTYPE HostOleServices::get_TempPath(BSTR* location)
try {
    if (!location) return E_POINTER;
    *location = nullptr;
    *location = make_bstr(folder_text(environment_->temp_folder));
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
