// Where a host database is: an SQLite file, or a database on a server that an ODBC connection
// string names. What the host program does before and after a run (counting, reports, undo) goes
// through here, whichever it is.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "hostapp/db/host_hooks.h"
#include "hostapp/db/row_source.h"

class DatabaseBackend;

struct DatabaseLocation {
    std::filesystem::path file;  // empty on a server
    std::u16string connection;   // an ODBC connection string; empty for a file

    static DatabaseLocation of_file(std::filesystem::path file) { return {std::move(file), {}}; }
    static DatabaseLocation on_server(std::u16string connection) { return {{}, std::move(connection)}; }
    bool is_on_server() const { return !connection.empty(); }

    // For messages: the file, or the connection string with its password taken out.
    std::string shown() const;
    // What the undo journal keeps to know the database again: the file's absolute path, or
    // "odbc:" and the attributes that name the server and the database (no login, no password).
    std::string identity() const;
};

// Raises the host's database error, saying what is wrong, unless the location is a host database
// (for a file: before SQLite is let near it).
void check_host_database(const DatabaseLocation& location);

// The records of the eleven media tables, counted on a connection of its own.
std::int64_t count_media_records(const DatabaseLocation& location, int busy_timeout_ms);

// The rows of a query that only reads, on a connection of its own.
std::unique_ptr<RowSource> open_rows_at(const DatabaseLocation& location, int busy_timeout_ms, std::u16string_view sql);

// The backend a host database of the location runs on.
std::unique_ptr<DatabaseBackend> open_database_backend(const DatabaseLocation& location, int busy_timeout_ms,
                                                       WriteBacks write_backs);
