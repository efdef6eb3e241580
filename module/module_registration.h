// What the module records in the system's registry about itself, and takes out again: its type
// library and its three classes (module/module_classes.h), each under the ProgID
// "Pathmender.<class>". One implementation a platform: the stand-in's file registry here
// (module_registration.cpp), the system's registry on Windows.
#pragma once

#include <filesystem>

// Records the type library and the classes, served from module_file. Raises SELFREG_E_TYPELIB when
// the type library cannot be registered, and the registry's error otherwise.
void register_module(const std::filesystem::path& module_file);
// Removes exactly what register_module records; entries that now belong to another
// registration (a ProgID pointing at another class) stay.
void unregister_module();
