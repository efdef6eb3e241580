// The run-time errors for the system's error numbers on Windows (GetLastError()).
#include "platform/os_errors.h"

#include <windows.h>

#include <cerrno>

#include "com/error.h"

RuntimeError run_time_error_for_os_error(int err, bool is_folder) {
    switch (DWORD(err)) {
    case ERROR_FILE_NOT_FOUND:
        return is_folder ? RuntimeError::PathNotFound : RuntimeError::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return RuntimeError::PathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_NETWORK_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return RuntimeError::PermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE:
        return RuntimeError::DiskFull;
    case ERROR_TOO_MANY_OPEN_FILES:
        return RuntimeError::TooManyFiles;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return RuntimeError::FileAlreadyExists;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
    case ERROR_CANT_RESOLVE_FILENAME:
    case ERROR_INVALID_PARAMETER:
        return RuntimeError::PathFileAccessError;
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_UNIT:
        return RuntimeError::DeviceUnavailable;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return RuntimeError::OutOfMemory;
    default:
        return RuntimeError::DeviceIOError;
    }
}

void raise_os_error(int err, bool is_folder) { raise_standard_error(run_time_error_for_os_error(err, is_folder)); }

namespace {

// The system's number for a generic-category (errno) error of the standard library.
DWORD system_error_for_errno(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR: return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY: return ERROR_ACCESS_DENIED;
    case ENOSPC: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EROFS:
    case EISDIR:
    case ENAMETOOLONG:
    case EINVAL: return ERROR_INVALID_NAME;
    case ENODEV:
    case ENXIO: return ERROR_NOT_READY;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_IO_DEVICE;
    }
}

}  // namespace

RuntimeError run_time_error_for_os_error(const std::error_code& error, bool is_folder) {
    if (error.category() == std::system_category()) return run_time_error_for_os_error(error.value(), is_folder);
    return run_time_error_for_os_error(int(system_error_for_errno(error.value())), is_folder);
}

void raise_os_error(const std::error_code& error, bool is_folder) {
    raise_standard_error(run_time_error_for_os_error(error, is_folder));
}
