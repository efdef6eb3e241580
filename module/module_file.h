// Where the module's own file lies, found at run time: the ProgID and the registration follow the
// file, whatever name and folder it was given.
#pragma once

#include <filesystem>

// The full path of the file this code was loaded from.
std::filesystem::path module_file_path();
