#include "hostapp/services/host_application.h"

#include "com/error.h"

HRESULT STDMETHODCALLTYPE HostApplication::get_ApplicationContext(IHostApplicationContext** context)
try {
    if (!context) return E_POINTER;
    *context = nullptr;
    *context = ComPtr<IHostApplicationContext>(context_.get()).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

ComPtr<IHostApplication> create_host_application(ComPtr<ISessionContext> session) {
    return ComPtr<IHostApplication>(make_com<HostApplication>(std::move(session)).get());
}
