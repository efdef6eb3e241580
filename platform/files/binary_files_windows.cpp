// Binary files over Win32 handles. As on other systems: a new file is created exclusively and
// readable and writable by its owner only, and no name is ever followed through a link.
#include "platform/binary_files.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "com/error.h"
#include "file_table.h"
#include "platform/os_errors.h"

namespace {

[[noreturn]] void raise_last_error() { raise_os_error(int(::GetLastError())); }

std::wstring system_path(std::u16string_view path) {
    if (path.empty() || path.find(u'\0') != std::u16string_view::npos)
        raise_standard_error(RuntimeError::BadFileNameOrNumber);
    return std::wstring(path.begin(), path.end());
}

// The run-time error for a failed call on name: a folder where a file was asked for is a
// path/file access error, as everywhere else; a missing folder part is PathNotFound.
[[noreturn]] void raise_path_error(DWORD error, const std::wstring& name) {
    if (error == ERROR_ACCESS_DENIED) {
        DWORD attributes = ::GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            raise_standard_error(RuntimeError::PathFileAccessError);
    }
    raise_os_error(int(error));
}

struct LocalFreer {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

// A security descriptor whose list grants the user running this process full access and no one
// else any, inheriting nothing from the folder.
std::unique_ptr<void, LocalFreer> owner_only_descriptor() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) raise_last_error();
    std::unique_ptr<void, decltype(&::CloseHandle)> token_guard(token, &::CloseHandle);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::unique_ptr<BYTE[]> user(new BYTE[size]);
    if (!::GetTokenInformation(token, TokenUser, user.get(), size, &size)) raise_last_error();
    wchar_t* sid = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid, &sid)) raise_last_error();
    std::unique_ptr<void, LocalFreer> sid_guard(sid);
    const std::wstring sddl = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        raise_last_error();
    return std::unique_ptr<void, LocalFreer>(descriptor);
}

BY_HANDLE_FILE_INFORMATION file_information(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(file, &information)) raise_last_error();
    return information;
}

}  // namespace

BinaryFile::~BinaryFile() {
    if (file_ != INVALID_HANDLE_VALUE) ::CloseHandle(file_);
}

void BinaryFile::read(std::span<std::uint8_t> bytes) {
    if (std::int64_t(bytes.size()) > length() - position()) raise_standard_error(RuntimeError::InputPastEndOfFile);
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD asked = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!::ReadFile(file_, bytes.data() + done, asked, &got, nullptr)) raise_last_error();
        if (got == 0) raise_standard_error(RuntimeError::InputPastEndOfFile);  // cut short under us
        done += got;
    }
}

void BinaryFile::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD put = 0;
        const DWORD offered = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!::WriteFile(file_, bytes.data() + done, offered, &put, nullptr)) raise_last_error();
        // A write that takes nothing and gives no reason: the device is full.
        if (put == 0) raise_os_error(int(ERROR_DISK_FULL));
        done += put;
    }
}

std::int64_t BinaryFile::position() const {
    LARGE_INTEGER at{};
    if (!::SetFilePointerEx(file_, LARGE_INTEGER{}, &at, FILE_CURRENT)) raise_last_error();
    return at.QuadPart;
}

void BinaryFile::seek(std::int64_t offset) {
    if (offset < 0) raise_standard_error(RuntimeError::InvalidProcedureCall);
    LARGE_INTEGER to{};
    to.QuadPart = offset;
    if (!::SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) raise_last_error();
}

std::int64_t BinaryFile::length() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file_, &size)) raise_last_error();
    return size.QuadPart;
}

void BinaryFile::close() {
    HANDLE file = std::exchange(file_, INVALID_HANDLE_VALUE);
    if (file != INVALID_HANDLE_VALUE && !::CloseHandle(file)) raise_last_error();
}

void OpenBinary(std::u16string_view path, int number, Create create) {
    check_file_number(number);
    const std::wstring name = system_path(path);
    auto& t = file_table();
    std::lock_guard guard(t.lock);
    if (t.files[number]) raise_standard_error(RuntimeError::FileAlreadyOpen);

    std::unique_ptr<void, LocalFreer> descriptor;
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    if (create == Create::Exclusive) {
        descriptor = owner_only_descriptor();
        security.lpSecurityDescriptor = descriptor.get();
    }
    // A new file is made where the name is free, never through whatever holds it; an existing one
    // is opened as itself, a link included, and refused below unless it is a plain file.
    HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &security, create == Create::Exclusive ? CREATE_NEW : OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) raise_path_error(::GetLastError(), name);

    auto undo = [&] {
        ::CloseHandle(file);
        if (create == Create::Exclusive) ::DeleteFileW(name.c_str());
    };
    try {
        // Only plain files on a disk: a device, a pipe or a link opened here could block or lead elsewhere.
        const BY_HANDLE_FILE_INFORMATION information = file_information(file);
        if (::GetFileType(file) != FILE_TYPE_DISK ||
            (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            raise_standard_error(RuntimeError::PathFileAccessError);
        t.files[number] = std::make_unique<BinaryFile>(file, std::u16string(path));
    } catch (...) {
        undo();
        throw;
    }
}

std::int64_t FileLen(std::u16string_view path) {
    const std::wstring name = system_path(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    // The attributes of the name itself: a link is not followed.
    if (!::GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) raise_path_error(::GetLastError(), name);
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        raise_standard_error(RuntimeError::PathFileAccessError);
    return (std::int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Kill(std::u16string_view path) {
    const std::wstring name = system_path(path);
    DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) raise_path_error(::GetLastError(), name);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) raise_standard_error(RuntimeError::FileNotFound);  // Kill deletes files only
    {
        // The name itself, a link included, compared with every open file by volume and file index.
        HANDLE target = ::CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (target == INVALID_HANDLE_VALUE) raise_path_error(::GetLastError(), name);
        std::unique_ptr<void, decltype(&::CloseHandle)> target_guard(target, &::CloseHandle);
        const BY_HANDLE_FILE_INFORMATION wanted = file_information(target);
        auto& t = file_table();
        std::lock_guard guard(t.lock);
        for (const auto& file : t.files) {
            if (!file) continue;
            BY_HANDLE_FILE_INFORMATION open{};
            if (::GetFileInformationByHandle(file->file_, &open) &&
                open.dwVolumeSerialNumber == wanted.dwVolumeSerialNumber &&
                open.nFileIndexHigh == wanted.nFileIndexHigh && open.nFileIndexLow == wanted.nFileIndexLow)
                raise_standard_error(RuntimeError::FileAlreadyOpen);
        }
    }
    if (!::DeleteFileW(name.c_str())) raise_last_error();
}
