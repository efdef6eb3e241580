// ODBC connection strings as messages may show them.
#pragma once

#include <string>
#include <string_view>

// The connection string with the value of every PWD or Password attribute (any letter case,
// a braced {...} value included) replaced by ***, and everything else as it was.
std::u16string redacted_connection_string(std::u16string_view text);
