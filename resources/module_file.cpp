#include "resources/module_file.h"

#include <dlfcn.h>

#include "com/error.h"
#include "com/utf.h"

std::filesystem::path module_file_path() {
    Dl_info info{};
    // Any function of this module locates the module; this one will do.
    if (!::dladdr(reinterpret_cast<void*>(&module_file_path), &info) || !info.dli_fname || !*info.dli_fname)
        raise_error(E_FAIL, u"The module cannot find its own file");
    std::error_code ignored;
    auto absolute = std::filesystem::absolute(info.dli_fname, ignored);
    return absolute.empty() ? std::filesystem::path(info.dli_fname) : absolute.lexically_normal();
}
