#include "hostapp/db/file_access.h"

#include <unistd.h>

#include <cerrno>

bool write_access_denied(const std::filesystem::path& file) { return ::access(file.c_str(), W_OK) != 0 && errno == EACCES; }
