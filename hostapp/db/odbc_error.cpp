#include "hostapp/db/odbc_error.h"

#include "hostapp/db/database_error.h"
#include "hostapp/db/odbc_diagnostics.h"

namespace {

std::u16string one_line(std::u16string_view what, std::u16string_view sqlstate, std::u16string_view diagnostic) {
    if (diagnostic.empty()) return std::u16string(what) + u" (the driver said nothing more).";
    std::u16string line = std::u16string(what) + u": " + std::u16string(diagnostic);
    if (!sqlstate.empty()) line += u" (SQLSTATE " + std::u16string(sqlstate) + u")";
    return line;
}

}  // namespace

OdbcError::OdbcError(std::u16string_view what, std::u16string state, std::u16string text)
    : ComError(kDatabaseError, one_line(what, state, text), kDatabaseErrorSource),
      sqlstate(std::move(state)),
      diagnostic(std::move(text)) {}

void raise_odbc_error(short handle_type, void* handle, std::u16string_view what) {
    std::u16string sqlstate, diagnostic;
    for (const OdbcDiagnostic& record : odbc_diagnostics(handle_type, handle)) {
        const bool warning = record.sqlstate.starts_with(u"01");
        if (sqlstate.empty() || (sqlstate.starts_with(u"01") && !warning)) sqlstate = record.sqlstate;
        if (record.text.empty() || diagnostic.find(record.text) != std::u16string::npos) continue;
        diagnostic += (diagnostic.empty() ? u"" : u"; ") + record.text;
    }
    throw OdbcError(what, std::move(sqlstate), std::move(diagnostic));
}

void raise_odbc_error(std::u16string_view what) { throw OdbcError(what, {}, {}); }
