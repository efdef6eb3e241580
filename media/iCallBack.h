// The creatable class of the callback interface. Its Process does nothing: the class exists so
// that the interface is published; the page is the implementation that does the work.
#pragma once

#include "com/object.h"
#include "contracts/plugin_interfaces.h"
#include "resources/module_type_info.h"

class iCallBack final : public ComObject<iCallBack, _iCallBack> {
public:
    HRESULT STDMETHODCALLTYPE Process(IDispatch** oOle) override;
    ITypeInfo* type_info(REFIID iid) { return module_type_info(iid); }  // late binding
};
