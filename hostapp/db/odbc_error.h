// The host's database error as an ODBC call raises it (odbc_diagnostics.h): the same number and
// source as every other database failure, its description one line, with the driver's SQLSTATE and
// diagnostic text beside it.
#pragma once

#include <string>
#include <string_view>

#include "com/error.h"

struct OdbcError : ComError {
    OdbcError(std::u16string_view what, std::u16string sqlstate, std::u16string diagnostic);

    // The first SQLSTATE that is not a warning (a warning's when there is nothing else); empty
    // when the driver left no diagnostic.
    std::u16string sqlstate;
    // Every diagnostic record's text, on one line.
    std::u16string diagnostic;
};
