#include "hostapp/services/host_classes.h"

#include "com/class_factory.h"
#include "com/error.h"
#include "hostapp/services/host_file_services.h"
#include "hostapp/services/host_ole_services.h"
#include "hostapp/services/host_path_services.h"
#include "hostapp/services/host_string_services.h"
#include "hostapp/services/kw_open.h"

namespace {

template <class T>
void register_class(REFCLSID clsid) {
    ComPtr<ClassFactory<T>> factory = make_com<ClassFactory<T>>();
    check(CoRegisterClassObject(clsid, factory.get()));
}

constexpr const CLSID* kHostClasses[] = {&CLSID_HostOleServices, &CLSID_HostFileServices,
                                         &CLSID_HostStringServices, &CLSID_HostPathServices, &CLSID_KWOpen};

}  // namespace

void register_host_classes() {
    register_class<HostOleServices>(CLSID_HostOleServices);
    register_class<HostFileServices>(CLSID_HostFileServices);
    register_class<HostStringServices>(CLSID_HostStringServices);
    register_class<HostPathServices>(CLSID_HostPathServices);
    register_class<KWOpen>(CLSID_KWOpen);
}

void revoke_host_classes() {
    for (const CLSID* clsid : kHostClasses) CoRevokeClassObject(*clsid);
}
