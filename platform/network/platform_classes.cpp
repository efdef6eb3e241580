#include "platform/platform_classes.h"

#include "com/class_factory.h"
#include "com/error.h"
#include "wsh_network.h"

void register_platform_classes() {
    ComPtr<ClassFactory<WshNetwork>> factory = make_com<ClassFactory<WshNetwork>>();
    check(CoRegisterClassObject(CLSID_WshNetwork, factory.get()));
}
