// One SQLite connection, closed when it goes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "hostapp/db/sqlite_statement.h"

struct sqlite3;

class SqliteConnection {
public:
    // The host's view of an existing database file: an empty main database with the file
    // attached as "dbo", so that dbo.T and a bare T both name the file's table T.
    static SqliteConnection open_host_view(const std::filesystem::path& file, int busy_timeout_ms);
    // A plain connection on the file itself, created when asked to.
    static SqliteConnection open_file(const std::filesystem::path& file, bool create);

    SqliteConnection(SqliteConnection&& o) noexcept : db_(std::exchange(o.db_, nullptr)) {}
    SqliteConnection& operator=(SqliteConnection&& o) noexcept;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;
    ~SqliteConnection();

    // Runs one or more statements that return no rows.
    void execute(std::string_view sql);
    SqliteStatement prepare(std::string_view sql) { return SqliteStatement(db_, sql); }
    sqlite3* handle() const { return db_; }

private:
    explicit SqliteConnection(sqlite3* db) : db_(db) {}
    void close();

    sqlite3* db_ = nullptr;
};

// An identifier as SQL text: in double quotes, inner quotes doubled.
std::string quote_identifier(std::string_view name);
