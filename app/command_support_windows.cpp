#include <windows.h>
#include <ole2.h>

#include <string>

#include "app/commands.h"

std::filesystem::path default_module_path() { return program_folder() / "Pathmender.dll"; }

std::string registry_location() { return "the system's registry"; }

// A failure here leaves the thread as it was; the first call into COM then says what is wrong.
ComApartment::ComApartment() : entered_(SUCCEEDED(::OleInitialize(nullptr))) {}
ComApartment::~ComApartment() {
    if (entered_) ::OleUninitialize();
}
