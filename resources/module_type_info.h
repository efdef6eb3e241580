// The module's type infos, made on first use from its type library (resource TYPELIB 1): the
// IDispatch members of the module's dual interfaces answer through them.
#pragma once

#include "com/type_info.h"

// The type info of the interface iid as the module's type library describes it, held by the
// module until it is unloaded (AddRef to hand it out); null when the library describes none.
ITypeInfo* module_type_info(REFIID iid);
