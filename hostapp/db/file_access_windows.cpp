#include "hostapp/db/file_access.h"

#include <windows.h>

// Asked of the system by opening the file for writing, sharing it with everyone, and closing it
// again: its access list and its read-only attribute both answer ERROR_ACCESS_DENIED.
bool write_access_denied(const std::filesystem::path& file) {
    HANDLE opened = ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened != INVALID_HANDLE_VALUE) {
        ::CloseHandle(opened);
        return false;
    }
    return ::GetLastError() == ERROR_ACCESS_DENIED;
}
