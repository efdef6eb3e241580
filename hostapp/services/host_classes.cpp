#include "hostapp/services/host_classes.h"

#include "com/class_factory.h"
#include "com/error.h"
#include "hostapp/services/class_registration.h"
#include "hostapp/services/host_file_services.h"
#include "hostapp/services/host_ole_services.h"
#include "hostapp/services/host_path_services.h"
#include "hostapp/services/host_string_services.h"
#include "hostapp/services/kw_open.h"

namespace {

template <class T, class... Args>
void register_class(REFCLSID clsid, Args... args) {
    ComPtr<ClassFactory<T, Args...>> factory = make_com<ClassFactory<T, Args...>>(std::move(args)...);
    register_class_object(clsid, factory.get());
}

constexpr const CLSID* kHostClasses[] = {&CLSID_HostOleServices, &CLSID_HostFileServices,
                                         &CLSID_HostStringServices, &CLSID_HostPathServices, &CLSID_KWOpen};

}  // namespace

void register_host_classes(HostEnvironmentRef environment) {
    register_class<HostOleServices>(CLSID_HostOleServices, environment);
    register_class<HostFileServices>(CLSID_HostFileServices, environment);
    register_class<HostStringServices>(CLSID_HostStringServices);
    register_class<HostPathServices>(CLSID_HostPathServices, environment);
    register_class<KWOpen>(CLSID_KWOpen, environment);
}

void revoke_host_classes() {
    for (const CLSID* clsid : kHostClasses) revoke_class_object(*clsid);
}
