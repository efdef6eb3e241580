// The ODBC API as this folder's own sources see it; the public headers of hostapp/db stay free of
// it, holding handles as void*.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <string>
#include <string_view>

// The wide calls take UTF-16, which is what SQLWCHAR holds on both platforms (unsigned short on
// unixODBC, wchar_t on Windows).
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));

inline SQLWCHAR* odbc_text(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }
inline std::u16string odbc_string(const SQLWCHAR* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

inline bool odbc_succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }
