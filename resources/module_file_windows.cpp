#include "resources/module_file.h"

#include <string>

#include "com/error.h"
#include <windows.h>

std::filesystem::path module_file_path() {
    // Any function of this module locates the module; this one will do.
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&module_file_path), &module))
        raise_error(E_FAIL, u"The module cannot find its own file");
    // The path may be longer than MAX_PATH: grow the buffer until the whole path fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(module, path.data(), DWORD(path.size()));
        if (length == 0) raise_error(E_FAIL, u"The module cannot find its own file");
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path).lexically_normal();
        }
        path.resize(path.size() * 2);
    }
}
