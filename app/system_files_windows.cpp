#include "app/system_files.h"

#include <windows.h>
#include <aclapi.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "com/utf.h"
#include "hostapp/db/windows_error_text.h"
#include "hostapp/db/windows_process_user.h"

namespace fs = std::filesystem;

namespace {

std::string random_part(std::size_t length) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::random_device device;
    std::string part;
    for (std::size_t i = 0; i < length; ++i) part.push_back(kLetters[device() % (sizeof kLetters - 1)]);
    return part;
}

struct LocalFreer {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

}  // namespace

std::optional<std::string> file_not_writable(const fs::path& file) {
    HANDLE opened = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return windows_error_text(::GetLastError());
    ::CloseHandle(opened);
    return std::nullopt;
}

// The system answers by making a file there, which goes again when its handle is closed.
std::optional<std::string> folder_not_writable(const fs::path& folder) {
    const fs::path probe = folder / (".pathmender-probe-" + random_part(12));
    HANDLE made = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (made == INVALID_HANDLE_VALUE) return windows_error_text(::GetLastError());
    ::CloseHandle(made);
    return std::nullopt;
}

bool no_space_left(const fs::path& folder) {
    ULARGE_INTEGER available{};
    return ::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) && available.QuadPart == 0;
}

// Any entry of the file's access list that lets someone read it who is neither its owner, the
// user running this, the system nor the administrators.
bool others_may_read(const fs::path& file) {
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                &owner, nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    std::unique_ptr<void, LocalFreer> guard(descriptor);
    if (!list) return true;  // no list at all lets everyone in
    const std::vector<unsigned char> user = process_user();
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(list, i, &entry)) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        if ((allowed->Mask & (FILE_READ_DATA | GENERIC_READ | GENERIC_ALL)) == 0) continue;
        PSID who = &allowed->SidStart;
        const bool own = (owner && ::EqualSid(who, owner)) ||
                         (!user.empty() && ::EqualSid(who, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid));
        if (!own && !::IsWellKnownSid(who, WinLocalSystemSid) && !::IsWellKnownSid(who, WinBuiltinAdministratorsSid))
            return true;
    }
    return false;
}

const char kKeepItYoursHint[] = "an access list of your own alone keeps it yours";

// A folder under the user's own profile inherits an access list that is the user's alone.
std::optional<std::string> make_private_folder_entry(const fs::path& folder) {
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return windows_error_text(::GetLastError());
    return std::nullopt;
}

fs::path user_state_folder() {
    if (const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA"); local && *local) return fs::path(local) / "Pathmender";
    return fs::temp_directory_path() / "Pathmender";
}

const char kStateFolderText[] = "%LOCALAPPDATA%\\Pathmender";

std::FILE* create_unique_file(std::string& name, std::string& why) {
    const std::string pattern = name;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = pattern.substr(0, pattern.size() - 6) + random_part(6);
        HANDLE made = ::CreateFileW(fs::path(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (made == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS) continue;
            why = windows_error_text(::GetLastError());
            return nullptr;
        }
        const int fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(made), _O_WRONLY | _O_BINARY);
        // Binary: the file is written as given, its line ends included.
        std::FILE* out = fd < 0 ? nullptr : ::_fdopen(fd, "wb");
        if (!out) {
            why = "the system's C library cannot write it";
            if (fd >= 0) ::_close(fd);
            else ::CloseHandle(made);
            ::DeleteFileW(fs::path(name).c_str());
        }
        return out;
    }
    why = "no free name for it";
    return nullptr;
}

bool sync_file(std::FILE* out) {
    if (std::fflush(out) != 0 || std::ferror(out)) return false;
    if (::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(out))))) return true;
    errno = EIO;
    return false;
}
