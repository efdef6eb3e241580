// Binary files over POSIX descriptors.
#include "platform/binary_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <limits>

#include "com/error.h"
#include "com/utf.h"
#include "file_table.h"
#include "platform/os_errors.h"

namespace {

// The run-time error for a failed call on name: a missing or non-folder folder part is
// PathNotFound, a missing file FileNotFound.
[[noreturn]] void raise_path_error(int os_error, const std::string& name) {
    bool is_folder = os_error == ENOTDIR;
    if (os_error == ENOENT) {
        std::string folder = std::filesystem::path(name).parent_path().string();
        struct stat status {};
        is_folder = !folder.empty() && ::stat(folder.c_str(), &status) != 0;
    }
    raise_os_error(os_error, is_folder);
}

std::string system_path(std::u16string_view path) {
    if (path.empty() || path.find(u'\0') != std::u16string_view::npos)
        raise_standard_error(RuntimeError::BadFileNameOrNumber);
    return utf8(path);
}

}  // namespace

BinaryFile::~BinaryFile() {
    if (file_ >= 0) ::close(file_);
}

void BinaryFile::read(std::span<std::uint8_t> bytes) {
    // The file's end is found by reading up to it: a short read leaves the position where it was.
    if (bytes.empty() && position_ > length()) raise_standard_error(RuntimeError::InputPastEndOfFile);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t got = ::pread(file_, bytes.data() + done, bytes.size() - done, off_t(position_ + std::int64_t(done)));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) raise_os_error(errno);
        if (got == 0) raise_standard_error(RuntimeError::InputPastEndOfFile);
        done += std::size_t(got);
    }
    position_ += std::int64_t(done);
}

void BinaryFile::write(std::span<const std::uint8_t> bytes) {
    // What was written stays written, and the position moves past it, even when the rest fails.
    while (!bytes.empty()) {
        ssize_t put = ::pwrite(file_, bytes.data(), bytes.size(), off_t(position_));
        if (put < 0 && errno == EINTR) continue;
        // A file that may grow no further is as full as a full disk.
        if (put < 0) raise_os_error(errno == EFBIG ? ENOSPC : errno);
        // A write that takes nothing and gives no reason: the device is full.
        if (put == 0) raise_os_error(ENOSPC);
        position_ += put;
        bytes = bytes.subspan(std::size_t(put));
    }
}

std::int64_t BinaryFile::position() const { return position_; }

void BinaryFile::seek(std::int64_t offset) {
    if (offset < 0) raise_standard_error(RuntimeError::InvalidProcedureCall);
    if (offset > std::numeric_limits<off_t>::max()) raise_os_error(EINVAL);
    position_ = offset;
}

std::int64_t BinaryFile::length() const {
    struct stat status {};
    if (::fstat(file_, &status) != 0) raise_os_error(errno);
    return status.st_size;
}

void BinaryFile::close() {
    int descriptor = std::exchange(file_, -1);
    if (descriptor >= 0 && ::close(descriptor) != 0 && errno != EINTR) raise_os_error(errno);
}

void OpenBinary(std::u16string_view path, int number, Create create) {
    check_file_number(number);
    std::string name = system_path(path);
    auto& t = file_table();
    std::lock_guard guard(t.lock);
    if (t.files[number]) raise_standard_error(RuntimeError::FileAlreadyOpen);

    int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW;
    if (create == Create::Exclusive) flags |= O_CREAT | O_EXCL;
    int descriptor = ::open(name.c_str(), flags, S_IRUSR | S_IWUSR);
    if (descriptor < 0) raise_path_error(errno, name);

    auto undo = [&] {
        ::close(descriptor);
        if (create == Create::Exclusive) ::unlink(name.c_str());
    };
    try {
        struct stat status {};
        if (::fstat(descriptor, &status) != 0) raise_os_error(errno);
        // Only regular files: a device or a pipe opened here could block or never end.
        if (!S_ISREG(status.st_mode)) raise_standard_error(RuntimeError::PathFileAccessError);
        t.files[number] = std::make_unique<BinaryFile>(descriptor, std::u16string(path));
    } catch (...) {
        undo();
        throw;
    }
}

std::int64_t FileLen(std::u16string_view path) {
    std::string name = system_path(path);
    struct stat status {};
    if (::lstat(name.c_str(), &status) != 0) raise_path_error(errno, name);
    if (!S_ISREG(status.st_mode)) raise_standard_error(RuntimeError::PathFileAccessError);
    return status.st_size;
}

void Kill(std::u16string_view path) {
    std::string name = system_path(path);
    {
        auto& t = file_table();
        std::lock_guard guard(t.lock);
        // Only a file that may be open needs looking at first; with none open, the name goes.
        const bool any_open = std::any_of(t.files.begin(), t.files.end(), [](const auto& file) { return bool(file); });
        if (any_open) {
            struct stat target {};
            if (::lstat(name.c_str(), &target) != 0) raise_path_error(errno, name);
            if (S_ISDIR(target.st_mode)) raise_standard_error(RuntimeError::FileNotFound);  // Kill deletes files only
            for (const auto& file : t.files) {
                if (!file) continue;
                struct stat open;
                if (::fstat(file->file_, &open) == 0 && open.st_dev == target.st_dev &&
                    open.st_ino == target.st_ino)
                    raise_standard_error(RuntimeError::FileAlreadyOpen);
            }
        }
    }
    if (::unlink(name.c_str()) == 0) return;
    const int error = errno;
    // Kill deletes files only: a folder is not found as a file (Linux says EISDIR, POSIX EPERM).
    struct stat target {};
    if ((error == EISDIR || error == EPERM) && ::lstat(name.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
        raise_standard_error(RuntimeError::FileNotFound);
    if (error == ENOENT || error == ENOTDIR) raise_path_error(error, name);
    raise_os_error(error);
}
