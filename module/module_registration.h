// What the module records in the registry about itself, and takes out again: its type library
// and its three classes, each under the ProgID "Pathmender.<class>".
#pragma once

#include <filesystem>

class Registry;

// Records the type library and the classes, served from module_file.
void register_module(Registry& registry, const std::filesystem::path& module_file);
// Removes exactly what register_module records; entries that now belong to another
// registration (a ProgID pointing at another class) stay.
void unregister_module(Registry& registry);
