// What a driver says of a failed ODBC call, and that said as the host's database error. Free of
// both the ODBC headers and the COM runtime's, whose Windows type names clash: the files that make
// ODBC calls include this, never odbc_error.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct OdbcDiagnostic {
    std::u16string sqlstate;
    // On one line: drivers pass the server's messages on with their line breaks.
    std::u16string text;
};

// The diagnostic records handle (of ODBC type handle_type) holds, first to last.
std::vector<OdbcDiagnostic> odbc_diagnostics(short handle_type, void* handle);

// Raises OdbcError (odbc_error.h) for a failed call on handle, with the diagnostics it holds:
// "<what>: <diagnostic> (SQLSTATE <state>)".
[[noreturn]] void raise_odbc_error(short handle_type, void* handle, std::u16string_view what);
// Raises OdbcError where no handle holds a diagnostic.
[[noreturn]] void raise_odbc_error(std::u16string_view what);
