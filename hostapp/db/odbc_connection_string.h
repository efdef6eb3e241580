// ODBC connection strings as messages may show them.
#pragma once

#include <string>
#include <string_view>

// The connection string with the value of every PWD or Password attribute (any letter case,
// a braced {...} value included) replaced by ***, and everything else as it was.
std::u16string redacted_connection_string(std::u16string_view text);

// The attributes of the connection string that name the server and the database (DSN, Server,
// Servername, Host, Port, Database, DBQ), in the order given, each spelled as here: the same
// database reached with another login or driver gives the same text. A string with none of them
// gives itself, redacted.
std::u16string server_and_database_of(std::u16string_view text);
