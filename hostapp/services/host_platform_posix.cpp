#include "hostapp/services/host_platform.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>

namespace {

// A folder on a memory file system that is the user's alone: a folder (not a link to one) the
// user owns, that no one else may enter or change.
bool private_memory_folder(const std::filesystem::path& folder) {
    struct stat status;
    struct statfs system;
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() &&
           (status.st_mode & 077) == 0 && ::statfs(folder.c_str(), &system) == 0 &&
           static_cast<unsigned long>(system.f_type) == TMPFS_MAGIC;
}

}  // namespace

std::filesystem::path host_program_folder() {
    std::error_code ec;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : program.parent_path();
}

// Where the host's temporary files cost least: the folder the user names in $TMPDIR; else a memory
// file system private to the user: $XDG_RUNTIME_DIR, or a folder of the user's own on /dev/shm; else
// /tmp. The files themselves are private wherever they are (made exclusively, 0600, no links).
std::filesystem::path default_temp_folder() {
    if (const char* temp = std::getenv("TMPDIR"); temp && *temp) return temp;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime && private_memory_folder(runtime))
        return runtime;
    const std::filesystem::path own = "/dev/shm/pathmender-" + std::to_string(::geteuid());
    ::mkdir(own.c_str(), 0700);  // it may be there already; whoever made it, it is checked below
    if (private_memory_folder(own)) return own;
    return "/tmp";
}
