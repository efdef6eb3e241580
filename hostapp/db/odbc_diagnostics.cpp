#include "hostapp/db/odbc_diagnostics.h"

#include "hostapp/db/odbc_api.h"

namespace {

std::u16string collapse_blanks(std::u16string_view text) {
    std::u16string out;
    bool blank = false;
    for (char16_t c : text) {
        if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') {
            blank = !out.empty();
            continue;
        }
        if (blank) out.push_back(u' ');
        blank = false;
        out.push_back(c);
    }
    return out;
}

}  // namespace

std::vector<OdbcDiagnostic> odbc_diagnostics(short handle_type, void* handle) {
    std::vector<OdbcDiagnostic> records;
    // A few records say all there is; a driver may chain many repeats.
    for (SQLSMALLINT i = 1; handle && i <= 8; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLWCHAR> text(512);
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(handle_type, handle, i, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
            text.resize(std::size_t(length) + 1);
            rc = SQLGetDiagRecW(handle_type, handle, i, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
        }
        if (!odbc_succeeded(rc)) break;
        const std::size_t shown = std::min<std::size_t>(std::size_t(std::max<SQLSMALLINT>(length, 0)), text.size() - 1);
        records.push_back({odbc_string(state, 5), collapse_blanks(odbc_string(text.data(), shown))});
    }
    return records;
}
