// ODBC connection strings as messages may show them.
#pragma once

#include <optional>
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

// The value of the attribute key (any letter case; the first, its braces taken off), if given.
std::optional<std::u16string> connection_attribute(std::u16string_view text, std::u16string_view key);
// The connection string with key=value in place of every key the text gives.
std::u16string with_attribute(std::u16string_view text, std::u16string_view key, std::u16string_view value);
