// The database a command works on: --db FILE (an SQLite host database), or a database on a server
// through ODBC: --connection 'connection string' (or DSN=name), or --connection-file FILE that
// holds one, so that a password never stands on a command line.
#pragma once

#include <stdexcept>
#include <string>

#include <CLI/CLI.hpp>

#include "hostapp/db/database_location.h"

struct DatabaseOptions {
    std::string database, connection, connection_file;
};

// Exactly one of the three is required.
void add_database_options(CLI::App& command, DatabaseOptions& options);

// A connection file that cannot be read, or holds no connection string.
struct BadDatabaseOption : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The database the options name; raises BadDatabaseOption.
DatabaseLocation database_location(const DatabaseOptions& options);

// Overwrites, in the program's own arguments, the password of every --connection value, so that a
// process listing shows none; the values as given stay in arguments' copies.
void hide_connection_passwords(int argc, char** argv);
