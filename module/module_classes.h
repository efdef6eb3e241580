// The module's classes as the registration records them, on every platform.
#pragma once

#include <string>

#include "contracts/plugin_interfaces.h"

struct ModuleClass {
    CLSID clsid;
    const char* name;
    bool document;  // a page the host shows in its document container
};

inline constexpr ModuleClass kModuleClasses[] = {
    {CLSID_cUpdateLinks, "cUpdateLinks", false},
    {CLSID_udPathmender, "udPathmender", true},
    {CLSID_iCallBack, "iCallBack", false},
};
inline constexpr char kModuleLibraryName[] = "Pathmender";
// OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE
// | OLEMISC_SETCLIENTSITEFIRST (0x20191), written in decimal as the platform stores it.
inline constexpr char kDocumentMiscStatus[] = "131473";

inline std::string prog_id(const ModuleClass& c) { return std::string(kModuleLibraryName) + "." + c.name; }
