#include "platform/os_errors.h"

#include <cerrno>

#include "com/error.h"

std::int32_t run_time_error_for_os_error(int err, bool is_folder) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return is_folder ? 76 : 53;  // Path not found / File not found
    case EACCES:
    case EPERM:
    case EBUSY:
    case ETXTBSY:
        return 70;  // Permission denied
    case ENOSPC:
    case EDQUOT:
        return 61;  // Disk full
    case EMFILE:
    case ENFILE:
        return 67;  // Too many files
    case EEXIST:
        return 58;  // File already exists
    case EROFS:
    case EISDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return 75;  // Path/File access error
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
        return 68;  // Device unavailable
    case ENOMEM:
        return 7;   // Out of memory
    default:
        return 57;  // Device I/O error
    }
}

void raise_os_error(int err, bool is_folder) { raise_standard_error(run_time_error_for_os_error(err, is_folder)); }

void raise_os_error(const std::error_code& error, bool is_folder) {
    // Errors of the standard library's file functions carry errno values in the generic or system category.
    raise_os_error(error.value(), is_folder);
}
