// The platform's creatable classes, registered with the running program so that CoCreateInstance
// finds them: WshNetwork (CLSID_WshNetwork).
#pragma once

void register_platform_classes();
