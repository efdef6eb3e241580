#include "hostapp/db/journal_hold.h"

#include <windows.h>
#include <sddl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "hostapp/db/windows_error_text.h"
#include "hostapp/db/windows_process_user.h"
#include "com/utf.h"

namespace {

HANDLE as_handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

struct LocalFreer {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

// A descriptor granting the user running this process full access and nobody else any.
std::unique_ptr<void, LocalFreer> owner_only_descriptor() {
    std::vector<unsigned char> user = process_user();
    wchar_t* sid = nullptr;
    if (user.empty() || !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid))
        return nullptr;
    const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
    ::LocalFree(sid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    return std::unique_ptr<void, LocalFreer>(descriptor);
}

// The access list of like_file, which the journal takes as its own: it holds copies of that
// file's objects, so nobody may read it who may not read them.
std::vector<BYTE> access_list_of(const std::filesystem::path& like_file) {
    DWORD size = 0;
    ::GetFileSecurityW(like_file.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<BYTE> descriptor(size);
    if (size == 0 || !::GetFileSecurityW(like_file.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size))
        descriptor.clear();
    return descriptor;
}

// A byte at 1 TiB, far past anything SQLite reads or locks in a journal (its own locks lie at
// 1 GiB): Windows locks byte ranges, and a lock over the file's pages would keep SQLite's other
// handles from reading them.
constexpr DWORD kHoldOffsetHigh = 0x100;

bool lock_hold(HANDLE file, DWORD flags) {
    OVERLAPPED at{};
    at.OffsetHigh = kHoldOffsetHigh;
    return ::LockFileEx(file, flags | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

void unlock_hold(HANDLE file) {
    OVERLAPPED at{};
    at.OffsetHigh = kHoldOffsetHigh;
    ::UnlockFileEx(file, 0, 1, 0, &at);
}

bool is_lock_conflict(DWORD error) { return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING; }

}  // namespace

std::optional<std::string> make_private_file(const std::filesystem::path& file,
                                             const std::filesystem::path& like_file) {
    std::vector<BYTE> like = like_file.empty() ? std::vector<BYTE>() : access_list_of(like_file);
    std::unique_ptr<void, LocalFreer> own = like.empty() ? owner_only_descriptor() : nullptr;
    if (like.empty() && !own) return "no access list for the file's user alone could be made: " + windows_error_text(::GetLastError());
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), like.empty() ? own.get() : like.data(), FALSE};
    // CREATE_NEW takes no name that is there already, a link included.
    HANDLE made = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, &security, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (made == INVALID_HANDLE_VALUE) return windows_error_text(::GetLastError());
    ::CloseHandle(made);
    return std::nullopt;
}

JournalHoldFile::~JournalHoldFile() {
    if (is_open()) ::CloseHandle(as_handle(handle_));
}

std::optional<std::string> JournalHoldFile::open(const std::filesystem::path& file) {
    HANDLE opened = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return windows_error_text(::GetLastError());
    handle_ = reinterpret_cast<std::intptr_t>(opened);
    return std::nullopt;
}

// Locks belong to the handle and go with it, or with the process, however it ends.
JournalHoldFile::Take JournalHoldFile::take() {
    using namespace std::chrono;
    const auto give_up = steady_clock::now() + milliseconds(200);
    while (!lock_hold(as_handle(handle_), LOCKFILE_EXCLUSIVE_LOCK)) {
        const DWORD error = ::GetLastError();
        if (!is_lock_conflict(error)) throw std::runtime_error(windows_error_text(error));
        if (steady_clock::now() > give_up) return Take::held_elsewhere;
        std::this_thread::sleep_for(milliseconds(5));
    }
    return Take::taken;
}

bool JournalHoldFile::held_elsewhere() const {
    if (!is_open()) return false;
    if (!lock_hold(as_handle(handle_), 0)) return is_lock_conflict(::GetLastError());
    unlock_hold(as_handle(handle_));
    return false;
}

std::int64_t current_process_id() { return ::GetCurrentProcessId(); }

std::string journal_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_s(&local, &now);
    // The C library's %z names the zone here: the offset is the local time read as universal, less now.
    std::tm copy = local;
    const long offset = static_cast<long>(::_mkgmtime(&copy) - now) / 60;
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    std::snprintf(text + length, sizeof text - length, "%c%02ld%02ld", offset < 0 ? '-' : '+', std::labs(offset) / 60,
                  std::labs(offset) % 60);
    return text;
}
