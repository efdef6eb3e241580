#include "hostapp/db/file_access.h"

#include <windows.h>

// The read-only attribute refuses every writer, an administrator too; the access list is asked by
// opening the file for writing, sharing it with everyone, and closing it again.
bool write_access_denied(const std::filesystem::path& file) {
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    HANDLE opened = ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened != INVALID_HANDLE_VALUE) {
        ::CloseHandle(opened);
        return false;
    }
    return ::GetLastError() == ERROR_ACCESS_DENIED;
}
