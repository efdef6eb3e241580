#include "hostapp/services/class_registration.h"

#include "com/class_factory.h"
#include "com/error.h"

void register_class_object(REFCLSID clsid, IUnknown* factory) { check(CoRegisterClassObject(clsid, factory)); }

void revoke_class_object(REFCLSID clsid) { CoRevokeClassObject(clsid); }
