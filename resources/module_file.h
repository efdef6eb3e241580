// Where the module's own file lies, found at run time: the ProgID, the registration and the type
// library (on Windows read from the file's resources) follow the file, whatever its name and folder.
#pragma once

#include <filesystem>

// The full path of the file this code was loaded from.
std::filesystem::path module_file_path();
