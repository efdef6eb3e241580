// Folder chains deeper than one path may name (PATH_MAX): made and removed one level at a time
// through descriptors, since no call can take their whole path.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace deep_tree {

[[noreturn]] inline void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

// Makes `depth` nested folders called `name` inside `top` (which must exist) and a file `leaf` in
// the deepest one.
inline void make_chain(const std::filesystem::path& top, const std::string& name, int depth, const std::string& leaf) {
    int at = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (at < 0) fail("open top");
    for (int level = 0; level < depth; ++level) {
        if (::mkdirat(at, name.c_str(), 0755) != 0 && errno != EEXIST) fail("mkdirat");
        int next = ::openat(at, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(at);
        if (next < 0) fail("openat");
        at = next;
    }
    int file = ::openat(at, leaf.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ::close(at);
    if (file < 0) fail("create leaf");
    ::close(file);
}

// Removes `name` inside `top` and everything below it, however deep: it goes down through the
// first folder it meets, removing files on the way, and back up through "..".
inline void remove(const std::filesystem::path& top, const std::string& name) {
    int top_fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (top_fd < 0) return;
    int at = ::openat(top_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (at < 0) {
        ::unlinkat(top_fd, name.c_str(), 0);
        ::close(top_fd);
        return;
    }
    int depth = 0;
    for (;;) {
        std::string folder;
        DIR* dir = ::fdopendir(::dup(at));
        if (!dir) fail("fdopendir");
        ::rewinddir(dir);
        while (const dirent* entry = ::readdir(dir)) {
            std::string member = entry->d_name;
            if (member == "." || member == "..") continue;
            struct stat info {};
            if (::fstatat(at, member.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (S_ISDIR(info.st_mode)) {
                if (folder.empty()) folder = member;
            } else {
                ::unlinkat(at, member.c_str(), 0);
            }
        }
        ::closedir(dir);
        if (!folder.empty()) {
            int next = ::openat(at, folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (next < 0) fail("openat down");
            ::close(at);
            at = next;
            ++depth;
            continue;
        }
        // Empty: remove it from its parent, found by its inode.
        struct stat self {};
        ::fstat(at, &self);
        if (depth == 0) {
            ::close(at);
            ::unlinkat(top_fd, name.c_str(), AT_REMOVEDIR);
            ::close(top_fd);
            return;
        }
        int parent = ::openat(at, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parent < 0) fail("openat up");
        ::close(at);
        at = parent;
        --depth;
        DIR* up = ::fdopendir(::dup(at));
        if (!up) fail("fdopendir up");
        ::rewinddir(up);
        std::string child;
        while (const dirent* entry = ::readdir(up))
            if (entry->d_ino == self.st_ino) child = entry->d_name;
        ::closedir(up);
        if (child.empty() || ::unlinkat(at, child.c_str(), AT_REMOVEDIR) != 0) fail("rmdir");
    }
}

}  // namespace deep_tree
