// What the system lets this process do with a file: POSIX file_access_posix.cpp, Windows
// file_access_windows.cpp.
#pragma once

#include <filesystem>

// Whether the file's permissions refuse this process writing it (a missing file is not refused).
bool write_access_denied(const std::filesystem::path& file);
