// The one mapping from operating-system errors to the platform's run-time errors.
#pragma once

#include <system_error>

#include "com/runtime_error.h"

// The run-time error for the system's error number err (errno here, GetLastError() on Windows);
// is_folder says the failing path named a folder, so that a missing one is PathNotFound rather
// than FileNotFound.
RuntimeError run_time_error_for_os_error(int err, bool is_folder = false);
// The same for an error of the standard library's file functions: system-category numbers as err
// above, generic-category ones as errno values (on either system).
RuntimeError run_time_error_for_os_error(const std::error_code& error, bool is_folder = false);

// Raises the run-time error for err with the platform's standard text.
[[noreturn]] void raise_os_error(int err, bool is_folder = false);
[[noreturn]] void raise_os_error(const std::error_code& error, bool is_folder = false);
