#include "hostapp/services/host_application_context.h"

#include "com/error.h"

HRESULT STDMETHODCALLTYPE HostApplicationContext::get_Session(IDispatch** session)
try {
    if (!session) return E_POINTER;
    *session = nullptr;
    if (!session_) raise_error(RuntimeError::ObjectVariableNotSet, u"The host application has no open session.");
    *session = ComPtr<IDispatch>(session_.get()).detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
