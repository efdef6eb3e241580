// Binary-file calls that fail, and the run-time error each raises, in a folder that holds the file
// "existing", the folder "folder" and nothing else: rows that the Linux tests and the Windows check
// program both run. Names are relative to that folder, '/' between components.
#pragma once

#include "com/runtime_error.h"
#include "platform/binary_files.h"

namespace binary_cases {

struct OpenCase {
    const char* name;
    Create create;
    RuntimeError error;
};

inline constexpr OpenCase kRefusedOpens[] = {
    {"existing", Create::Exclusive, RuntimeError::FileAlreadyExists},
    {"folder", Create::Exclusive, RuntimeError::FileAlreadyExists},
    {"missing", Create::Never, RuntimeError::FileNotFound},
    {"folder", Create::Never, RuntimeError::PathFileAccessError},
    {"no-folder/file", Create::Exclusive, RuntimeError::PathNotFound},
    {"no-folder/file", Create::Never, RuntimeError::PathNotFound},
    {"existing/file", Create::Exclusive, RuntimeError::PathNotFound},
};

struct KillCase {
    const char* name;
    RuntimeError error;
};

// Kill deletes files only, and only those that are there.
inline constexpr KillCase kRefusedKills[] = {
    {"missing", RuntimeError::FileNotFound},
    {"folder", RuntimeError::FileNotFound},
};

// Outside kFirstFileNumber..kLastFileNumber.
inline constexpr int kBadFileNumbers[] = {0, -1, kLastFileNumber + 1, 100000};

constexpr const char* mode_name(Create create) { return create == Create::Exclusive ? "exclusive" : "existing"; }

}  // namespace binary_cases
