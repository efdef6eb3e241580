#include "folder_listing.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <climits>

#include <dirent.h>
#include <sys/syscall.h>
#if defined(__linux__)
#include <linux/openat2.h>
#endif
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "com/error.h"
#include "com/utf.h"
#include "platform/case_insensitive.h"
#include "platform/network.h"
#include "platform/os_errors.h"

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// A descriptor for a folder. A path longer than one system call takes (a share tree thousands of
// folders deep) is opened a piece at a time, each piece relative to the folder before it, so deep
// folders list and resolve like shallow ones. -1 with errno set when it cannot be opened.
int open_folder(const std::filesystem::path& folder) {
    const std::string& text = folder.native();
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (text.size() < PATH_MAX) return ::open(text.c_str(), kFlags);
    int at = AT_FDCWD;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.size();
        if (end - begin >= PATH_MAX) {
            end = text.rfind('/', begin + PATH_MAX - 1);
            if (end == std::string::npos || end < begin) {
                if (at != AT_FDCWD) ::close(at);
                errno = ENAMETOOLONG;  // one name longer than any folder can have
                return -1;
            }
        }
        const std::string piece = text.substr(begin, end - begin);
        const bool from_root = piece.empty() && begin == 0;
        if (!piece.empty() || from_root) {
            int next = ::openat(at, from_root ? "/" : piece.c_str(), kFlags);
            int saved = errno;
            if (at != AT_FDCWD) ::close(at);
            if (next < 0) {
                errno = saved;
                return -1;
            }
            at = next;
        }
        begin = end + 1;
    }
    return at;
}

// lstat of a member of folder, however deep the folder lies.
int stat_member(const std::filesystem::path& folder, const std::filesystem::path& name, struct stat& info) {
    const std::filesystem::path path = folder / name;
    if (path.native().size() < PATH_MAX) return ::lstat(path.c_str(), &info);
    int descriptor = open_folder(folder);
    if (descriptor < 0) return -1;
    int result = ::fstatat(descriptor, name.c_str(), &info, AT_SYMLINK_NOFOLLOW);
    int saved = errno;
    ::close(descriptor);
    errno = saved;
    return result;
}

bool lies_within(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    auto [outer_end, inner_at] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return outer_end == outer.end();
}

// A link counts as a file when it ends at a regular file inside its share; links to folders are
// never followed, so a walk cannot loop and cannot leave the share. Beyond PATH_MAX a link's
// target cannot be proved to stay inside, so the link is left out.
std::optional<NetworkItemKind> link_kind(const std::filesystem::path& link,
                                         const std::optional<std::filesystem::path>& share) {
    if (!share || link.native().size() >= PATH_MAX) return std::nullopt;
    std::error_code error;
    std::filesystem::path target = std::filesystem::canonical(link, error);
    if (error) return std::nullopt;
    std::filesystem::path share_on_disk = std::filesystem::canonical(*share, error);
    if (error || !lies_within(target, share_on_disk)) return std::nullopt;
    struct stat info;
    if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    return NetworkItemKind::file;
}

std::optional<NetworkItemKind> kind_of_mode(mode_t mode, const std::filesystem::path& path,
                                            const std::optional<std::filesystem::path>& share) {
    if (S_ISDIR(mode)) return NetworkItemKind::folder;
    if (S_ISREG(mode)) return NetworkItemKind::file;
    if (S_ISLNK(mode)) return link_kind(path, share);
    return std::nullopt;
}

// The name as the home platform would spell it, if the bytes on disk are a name it could hold.
std::optional<std::u16string> network_name(const char* disk_name) {
    std::string_view bytes(disk_name);
    if (bytes == "." || bytes == "..") return std::nullopt;
    std::u16string name = utf16(bytes);
    if (utf8(name) != bytes || !is_valid_network_name(name)) return std::nullopt;
    return name;
}

}  // namespace

std::optional<NetworkItemKind> network_entry_kind(const std::filesystem::path& folder,
                                                  const std::filesystem::path& disk_name,
                                                  const std::optional<std::filesystem::path>& share) {
    struct stat info;
    if (stat_member(folder, disk_name, info) != 0) return std::nullopt;
    return kind_of_mode(info.st_mode, folder / disk_name, share);
}

std::optional<NetworkItemKind> exact_path_kind(const std::filesystem::path& root, const std::filesystem::path& relative) {
#if defined(__linux__) && defined(SYS_openat2)
    if (root.native().size() + relative.native().size() >= PATH_MAX) return std::nullopt;
    const int at = ::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (at < 0) return std::nullopt;
    open_how how{};
    how.flags = O_PATH | O_NOFOLLOW | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const int found = int(::syscall(SYS_openat2, at, relative.c_str(), &how, sizeof how));
    ::close(at);
    if (found < 0) return std::nullopt;
    struct stat info;
    const int status = ::fstat(found, &info);
    ::close(found);
    if (status != 0) return std::nullopt;
    if (S_ISDIR(info.st_mode)) return NetworkItemKind::folder;
    if (S_ISREG(info.st_mode)) return NetworkItemKind::file;
#else
    (void)root;
    (void)relative;
#endif
    return std::nullopt;
}

std::vector<NetworkFolderEntry> list_network_folder(const std::filesystem::path& folder,
                                                    const std::optional<std::filesystem::path>& share) {
    const int descriptor = open_folder(folder);
    if (descriptor < 0) raise_os_error(errno, true);
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(descriptor));
    if (!dir) {
        const int error = errno;
        ::close(descriptor);
        raise_os_error(error, true);
    }
    std::vector<NetworkFolderEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry) {
            if (errno) raise_os_error(errno, true);
            break;
        }
        std::optional<std::u16string> name = network_name(entry->d_name);
        if (!name) continue;
        std::optional<NetworkItemKind> kind;
        switch (entry->d_type) {
        case DT_DIR: kind = NetworkItemKind::folder; break;
        case DT_REG: kind = NetworkItemKind::file; break;
        case DT_LNK: kind = link_kind(folder / entry->d_name, share); break;
        case DT_UNKNOWN: {
            struct stat info;
            std::filesystem::path path = folder / entry->d_name;
            if (::fstatat(::dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) continue;  // removed while we listed
                raise_os_error(errno, true);
            }
            kind = kind_of_mode(info.st_mode, path, share);
            break;
        }
        default: break;
        }
        if (kind) entries.push_back({std::move(*name), entry->d_name, *kind});
    }
    std::sort(entries.begin(), entries.end(), [](const NetworkFolderEntry& a, const NetworkFolderEntry& b) {
        return listing_order_less(a.name, b.name);
    });
    return entries;
}
