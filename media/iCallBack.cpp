#include "media/iCallBack.h"

HRESULT iCallBack::Process(IDispatch**) { return S_OK; }
