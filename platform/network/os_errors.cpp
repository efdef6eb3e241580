#include "platform/os_errors.h"

#include <cerrno>

#include "com/error.h"

RuntimeError run_time_error_for_os_error(int err, bool is_folder) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return is_folder ? RuntimeError::PathNotFound : RuntimeError::FileNotFound;
    case EACCES:
    case EPERM:
    case EBUSY:
    case ETXTBSY:
        return RuntimeError::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return RuntimeError::DiskFull;
    case EMFILE:
    case ENFILE:
        return RuntimeError::TooManyFiles;
    case EEXIST:
        return RuntimeError::FileAlreadyExists;
    case EROFS:
    case EISDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
        return RuntimeError::PathFileAccessError;
    case ENODEV:
    case ENXIO:
    case ENOMEDIUM:
        return RuntimeError::DeviceUnavailable;
    case ENOMEM:
        return RuntimeError::OutOfMemory;
    default:
        return RuntimeError::DeviceIOError;
    }
}

void raise_os_error(int err, bool is_folder) { raise_standard_error(run_time_error_for_os_error(err, is_folder)); }

// Errors of the standard library's file functions carry errno values in the generic or system category.
RuntimeError run_time_error_for_os_error(const std::error_code& error, bool is_folder) {
    return run_time_error_for_os_error(error.value(), is_folder);
}

void raise_os_error(const std::error_code& error, bool is_folder) {
    raise_standard_error(run_time_error_for_os_error(error, is_folder));
}
