#include "com/registry.h"
#include "app/commands.h"

std::filesystem::path default_module_path() { return program_folder() / "Pathmender.so"; }

std::string registry_location() { return Registry::default_path().string(); }

ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;
