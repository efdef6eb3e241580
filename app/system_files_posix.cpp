#include "app/system_files.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace fs = std::filesystem;

std::optional<std::string> file_not_writable(const fs::path& file) {
    if (::access(file.c_str(), R_OK | W_OK) != 0) return std::strerror(errno);
    return std::nullopt;
}

std::optional<std::string> folder_not_writable(const fs::path& folder) {
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
    return std::nullopt;
}

bool no_space_left(const fs::path& folder) {
    struct statvfs space;
    return ::statvfs(folder.c_str(), &space) == 0 && space.f_bavail == 0;
}

bool others_may_read(const fs::path& file) {
    struct stat status;
    return ::stat(file.c_str(), &status) == 0 && (status.st_mode & 077) != 0;
}

const char kKeepItYoursHint[] = "chmod 600 keeps it yours";

std::optional<std::string> make_private_folder_entry(const fs::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::strerror(errno);
    return std::nullopt;
}

fs::path user_state_folder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') return fs::path(state) / "pathmender";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".local" / "state" / "pathmender";
}

const char kStateFolderText[] = "~/.local/state/pathmender";

std::FILE* create_unique_file(std::string& name, std::string& why) {
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    // mkstemp makes it 0600; the file is the user's like any other it writes.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    std::FILE* out = ::fdopen(fd, "w");
    if (!out) {
        why = std::strerror(errno);
        ::close(fd);
        ::unlink(name.c_str());
    }
    return out;
}

bool sync_file(std::FILE* out) { return std::fflush(out) == 0 && !std::ferror(out) && ::fsync(::fileno(out)) == 0; }
