#include "hostapp/services/host_platform.h"

#include <windows.h>

#include <string>

std::filesystem::path host_program_folder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return std::filesystem::current_path();
        if (length < name.size()) return std::filesystem::path(name.substr(0, length)).parent_path();
        name.resize(name.size() * 2);
    }
}

// The user's temporary folder, as the system names it (%TMP%, %TEMP%, else the user's profile's);
// the files themselves are private wherever they are (made exclusively, owner-only, no links).
std::filesystem::path default_temp_folder() {
    wchar_t folder[MAX_PATH + 2];
    const DWORD length = ::GetTempPathW(MAX_PATH + 2, folder);
    if (length == 0 || length > MAX_PATH + 1) return std::filesystem::temp_directory_path();
    return std::filesystem::path(std::wstring(folder, length));
}
