#include "hostapp/services/host_file_services.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "com/error.h"
#include "com/utf.h"
#include "platform/file_system_object.h"
#include "platform/os_errors.h"

namespace {

bool is_separator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string hex(std::uint64_t value, int digits) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(value));
    return utf16(buf);
}

std::uint64_t random_bits() {
    static thread_local std::random_device device;
    return (std::uint64_t(device()) << 32) ^ device();
}

}  // namespace

std::u16string folder_for_file(std::u16string_view folder) {
    std::u16string result(folder);
    if (result.empty() || is_separator(result.back())) return result;
    // A folder spelt with '/' only (a local path) keeps its own kind of separator.
    bool slashes = result.find(u'/') != std::u16string::npos && result.find(u'\\') == std::u16string::npos;
    result.push_back(slashes ? u'/' : u'\\');
    return result;
}

std::u16string split_path(std::u16string_view path, bool folder_part) {
    std::size_t last = path.find_last_of(u"\\/");
    std::size_t cut = last == std::u16string_view::npos ? 0 : last + 1;
    return std::u16string(folder_part ? path.substr(0, cut) : path.substr(cut));
}

HRESULT STDMETHODCALLTYPE HostFileServices::FolderForFile(BSTR folder, BSTR* result)
try {
    if (!result) return E_POINTER;
    *result = nullptr;
    *result = make_bstr(folder_for_file(bstr_view(folder)));
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE HostFileServices::SplitPath(BSTR path, VARIANT_BOOL folder_part, BSTR* result)
try {
    if (!result) return E_POINTER;
    *result = nullptr;
    *result = make_bstr(split_path(bstr_view(path), folder_part != VARIANT_FALSE));
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE HostFileServices::MakeTempFileName(BSTR* location, BSTR* extension, LONG* number, BSTR* path)
try {
    if (!path) return E_POINTER;
    *path = nullptr;
    if (!location || !extension || !number) return E_POINTER;
    std::u16string_view folder = bstr_view(*location);
    std::u16string_view suffix = bstr_view(*extension);
    if (folder.empty()) raise_error(RuntimeError::InvalidProcedureCall, u"MakeTempFileName: the location is empty.");
    for (char16_t c : suffix)
        if (is_separator(c) || c == 0)
            raise_error(RuntimeError::InvalidProcedureCall,
                        u"MakeTempFileName: \"" + std::u16string(suffix) + u"\" is not an extension.");
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::path(std::u16string(folder)), ec))
        raise_os_error(std::make_error_code(std::errc::no_such_file_or_directory), true);

    std::u16string head = folder_for_file(folder) + u"PM" + hex(std::uint32_t(*number), 8) + u"_";
    // 64 random bits make a clash unlikely; a name that exists all the same is passed over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::u16string candidate = head + hex(random_bits(), 16) + std::u16string(suffix);
        // A name is free when nothing, not even a link, has it.
        const std::filesystem::file_status status = std::filesystem::symlink_status(candidate, ec);
        if (status.type() == std::filesystem::file_type::not_found) {
            *path = make_bstr(candidate);
            return S_OK;
        }
        if (ec) raise_os_error(ec);
    }
    raise_error(RuntimeError::FileAlreadyExists, u"MakeTempFileName: no free file name in " + std::u16string(folder));
} catch (...) {
    return hresult_from_current_exception();
}

HRESULT STDMETHODCALLTYPE HostFileServices::get_FileSystem(IDispatch** file_system)
try {
    if (!file_system) return E_POINTER;
    *file_system = nullptr;
    ComPtr<IFileSystem> fso;
    check(CreateFileSystemObject(fso.put(), environment_->hooks.watcher));
    *file_system = fso.detach();
    return S_OK;
} catch (...) {
    return hresult_from_current_exception();
}
