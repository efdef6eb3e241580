// The host's database failures: one run-time error number, with SQLite's own description.
#pragma once

#include <cstdint>
#include <string_view>

struct sqlite3;

// Errors in a command or its data, as the host's data layer reports them (DB_E_ERRORSINCOMMAND).
inline constexpr std::int32_t kDatabaseError = std::int32_t(0x80040E14u);
inline constexpr char16_t kDatabaseErrorSource[] = u"Pathmender Host data";

// Raises kDatabaseError with the connection's last message (or the text of rc without one).
[[noreturn]] void raise_database_error(sqlite3* db, int rc);
// Raises kDatabaseError with a description of the host's own.
[[noreturn]] void raise_database_error(std::u16string_view description);
// Raises the error of a record set used after its Close.
void check_open(bool closed);
