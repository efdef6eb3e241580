#include "media/iCallBack.h"

HRESULT STDMETHODCALLTYPE iCallBack::Process(IDispatch**) { return S_OK; }
