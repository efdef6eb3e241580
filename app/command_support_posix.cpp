#include "com/registry.h"
#include "app/commands.h"

std::filesystem::path program_folder() {
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : program.parent_path();
}

std::filesystem::path default_module_path() { return program_folder() / "Pathmender.so"; }

std::string registry_location() { return Registry::default_path().string(); }

ComApartment::ComApartment() = default;
ComApartment::~ComApartment() = default;
