// What the host's environment takes from the system it runs on: POSIX host_platform_posix.cpp,
// Windows host_platform_windows.cpp.
#pragma once

#include <filesystem>

// The folder of the running program.
std::filesystem::path host_program_folder();
// The folder where the host's temporary files cost least.
std::filesystem::path default_temp_folder();
