#include "hostapp/db/journal_hold.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <thread>

std::optional<std::string> make_private_file(const std::filesystem::path& file,
                                             const std::filesystem::path& like_file) {
    // Without a file to be like (a database on a server), the journal is its user's alone.
    mode_t mode = like_file.empty() ? 0600 : 0666;
    struct stat like;
    if (!like_file.empty() && ::stat(like_file.c_str(), &like) == 0) mode &= like.st_mode;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) return std::strerror(errno);
    ::close(fd);
    return std::nullopt;
}

JournalHoldFile::~JournalHoldFile() {
    if (is_open()) ::close(static_cast<int>(handle_));
}

std::optional<std::string> JournalHoldFile::open(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    handle_ = fd;
    return std::nullopt;
}

// The hold is a whole-file flock, apart from SQLite's record locks on the same file: closing this
// descriptor lets go of every record lock the process has on the file, so it outlives the connection.
JournalHoldFile::Take JournalHoldFile::take() {
    using namespace std::chrono;
    const auto give_up = steady_clock::now() + milliseconds(200);
    while (::flock(static_cast<int>(handle_), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) throw std::runtime_error(std::strerror(errno));
        if (steady_clock::now() > give_up) return Take::held_elsewhere;
        std::this_thread::sleep_for(milliseconds(5));
    }
    return Take::taken;
}

// A shared lock is to be had only when nobody holds the file.
bool JournalHoldFile::held_elsewhere() const {
    if (!is_open()) return false;
    const int fd = static_cast<int>(handle_);
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) return errno == EWOULDBLOCK;
    ::flock(fd, LOCK_UN);
    return false;
}

std::int64_t current_process_id() { return ::getpid(); }

std::string journal_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    return text;
}
