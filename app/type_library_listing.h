// info --type-library: the plug-in's type library as the system reads it. Here it is read from
// the module's resource by this system's reader (type_library_listing_posix.cpp); on Windows the
// system loads it from the module (type_library_listing_windows.cpp).
#pragma once

#include "hostapp/shell/plugin_loader.h"

void print_type_library(const LoadedPlugin& plugin);
