#include <windows.h>
#include <ole2.h>

#include <string>

#include "app/commands.h"

std::filesystem::path program_folder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return std::filesystem::current_path();
        if (length < name.size()) return std::filesystem::path(name.substr(0, length)).parent_path();
        name.resize(name.size() * 2);
    }
}

std::filesystem::path default_module_path() { return program_folder() / "Pathmender.dll"; }

std::string registry_location() { return "the system's registry"; }

// A failure here leaves the thread as it was; the first call into COM then says what is wrong.
ComApartment::ComApartment() : entered_(SUCCEEDED(::OleInitialize(nullptr))) {}
ComApartment::~ComApartment() {
    if (entered_) ::OleUninitialize();
}
