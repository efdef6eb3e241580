// The running program's own class objects, which CoCreateInstance finds before any module's:
// through this system's COM runtime here (class_registration_posix.cpp), through the system's on
// Windows (class_registration_windows.cpp).
#pragma once

#include "com/unknown.h"

// Registers factory (an IClassFactory) as the class object of clsid until it is revoked.
void register_class_object(REFCLSID clsid, IUnknown* factory);
void revoke_class_object(REFCLSID clsid);
