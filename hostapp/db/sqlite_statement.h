// One prepared SQLite statement, finalized when it goes. Failures become the host's database error.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "hostapp/db/sqlite_value.h"

struct sqlite3;
struct sqlite3_stmt;

class SqliteStatement {
public:
    SqliteStatement() = default;
    // Prepares one statement; text after it (other than blanks and ';') is refused.
    SqliteStatement(sqlite3* db, std::string_view sql);
    SqliteStatement(SqliteStatement&& o) noexcept
        : db_(std::exchange(o.db_, nullptr)), stmt_(std::exchange(o.stmt_, nullptr)) {}
    SqliteStatement& operator=(SqliteStatement&& o) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    explicit operator bool() const { return stmt_ != nullptr; }
    bool read_only() const;

    void bind_null(int index);
    void bind_int64(int index, std::int64_t value);
    void bind_double(int index, double value);
    void bind_text(int index, std::string_view utf8);
    void bind_blob(int index, std::span<const std::uint8_t> bytes);
    // Binds bytes without a copy of SQLite's own: they must stay as they are until clear_bindings.
    void bind_blob_in_place(int index, std::span<const std::uint8_t> bytes);
    // Lets go of every value bound (they read as NULL until bound again).
    void clear_bindings();
    // Binds value as it is: its storage class and its bytes.
    void bind_value(int index, const SqliteValue& value);

    // True while a row is available.
    bool step();
    // Ends the statement's run so that it holds no transaction open.
    void reset();
    void finalize();

    int column_count() const;
    std::string column_name(int column) const;
    // Where a result column comes from: its table and its name there; empty for an expression.
    std::string column_table(int column) const;
    std::string column_origin(int column) const;
    int column_type(int column) const;  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB, SQLITE_NULL
    std::int64_t column_int64(int column) const;
    double column_double(int column) const;
    // The stored bytes of a text or blob value (text as stored, without conversion).
    std::span<const std::uint8_t> column_bytes(int column) const;
    // A copy of the value as stored, kept past the row.
    SqliteValue column_value(int column) const;

private:
    void check_bind(int rc) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};
