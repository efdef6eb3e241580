// A file system path's text as UTF-16, the system's own text.
#pragma once

#include <filesystem>
#include <string>

#include "com/utf.h"

// Windows keeps paths in UTF-16 already; here a path is UTF-8 bytes, read as utf16 reads them
// (ill-formed bytes become U+FFFD).
inline std::u16string path_text(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& native = path.native();
    return std::u16string(reinterpret_cast<const char16_t*>(native.data()), native.size());
#else
    return utf16(path.native());
#endif
}
