// A database on a server as a host database: the eleven media tables under the schema dbo,
// reached through ODBC. Messages name the connection with its password taken out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hostapp/db/odbc_connection.h"

// A connection to the host database connection_string names. An SQLite file reached through its
// driver is seen as the host's own view of a file sees it: the file as the schema dbo of an empty
// main database; and it must be in write-ahead-log mode, or the run's readers would keep its writer
// from committing.
OdbcConnection connect_host_database(std::u16string_view connection_string);

// Raises the host's database error, naming every media table the database lacks under dbo (as
// its INFORMATION_SCHEMA lists them, letter case aside), unless it has all eleven.
void check_host_database(OdbcConnection& connection, std::u16string_view connection_string);

// The records of the eleven media tables of the database connection_string names, counted on a
// connection of its own.
std::int64_t count_media_records(std::u16string_view connection_string);

// Whether the connection's database is SQL Server, whose dialect differs where the host's
// statements meet it (savepoints, comparing bytes).
bool is_sql_server(const OdbcConnection& connection);

// "column = ?" as the database compares bytes: SQL Server compares no image column, so there the
// column is cast to varbinary(max) first.
std::u16string same_bytes_sql(bool sql_server, std::u16string_view column);

// A name as the host's statements on a server spell it: unquoted, as the page writes its own, so
// that a server that folds unquoted names (PostgreSQL, to lower case) finds the same tables and
// columns for both. Only letters, digits and '_' (not first) are taken; any other name raises the
// host's database error.
std::u16string plain_name_sql(std::u16string_view name);
