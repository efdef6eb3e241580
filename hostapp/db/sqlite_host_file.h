// An SQLite file as a host database: what makes a file one, checked before SQLite is let near it;
// its media records counted; and the settings every connection on it shares.
#pragma once

#include <cstdint>
#include <filesystem>

class SqliteConnection;

// Raises the host's database error, saying what is wrong, unless file is an SQLite file: a file
// that is missing, a folder, empty or not SQLite is refused (SQLite would make a new database of
// a missing or empty one).
void check_sqlite_file(const std::filesystem::path& file);

// Raises the host's database error, saying what is wrong, unless file is a host database: an
// SQLite file that holds the eleven media tables.
void check_host_database_file(const std::filesystem::path& file);

// The records of the eleven media tables of a host database file, counted on a connection of its own.
std::int64_t count_media_records(const std::filesystem::path& file, int busy_timeout_ms);

// Settings every host connection shares: double-quoted names are names, never text.
void configure_host_connection(const SqliteConnection& connection);
