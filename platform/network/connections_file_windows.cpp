// The connections file of the stand-in network object under Wine: the one that tools/wine-network
// names in the prefix's registry. It is read from the registry's 64-bit view, where a 64-bit
// prefix keeps it, so that 32-bit programs there find the same file (a 32-bit system has one view).
#include <windows.h>

#include <string>

#include "com/error.h"
#include "platform/network.h"
#include "platform/os_errors.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\Pathmender\\Network";
constexpr wchar_t kValue[] = L"ConnectionsFile";

[[noreturn]] void raise_registry_error(LONG status) {
    raise_error(run_time_error_for_os_error(int(status)),
                u"Cannot read the value ConnectionsFile of HKEY_LOCAL_MACHINE\\Software\\Pathmender\\Network");
}

// The file the registry names; empty when it names none.
std::wstring named_connections_file() {
    HKEY key = nullptr;
    LONG status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key);
    if (status == ERROR_FILE_NOT_FOUND) return {};
    if (status != ERROR_SUCCESS) raise_registry_error(status);
    std::wstring file;
    DWORD size = 0;
    status = ::RegGetValueW(key, nullptr, kValue, RRF_RT_REG_SZ, nullptr, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        file.resize(size / sizeof(wchar_t));
        status = ::RegGetValueW(key, nullptr, kValue, RRF_RT_REG_SZ, nullptr, file.data(), &size);
        file.resize(status == ERROR_SUCCESS ? size / sizeof(wchar_t) : 0);
        while (!file.empty() && file.back() == L'\0') file.pop_back();
    }
    ::RegCloseKey(key);
    if (status == ERROR_FILE_NOT_FOUND) return {};
    if (status != ERROR_SUCCESS) raise_registry_error(status);
    return file;
}

}  // namespace

// A prefix whose registry names no file has no network connections, as a workstation without any;
// a file it names must be there (error 53).
std::vector<NetworkConnection> read_network_connections() {
    const std::wstring file = named_connections_file();
    if (file.empty()) return {};
    return read_network_connections(std::filesystem::path(file));
}
