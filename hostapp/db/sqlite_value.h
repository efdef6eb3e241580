// One SQLite value kept apart from the statement it came from: its storage class and its bytes
// exactly as stored, so that it can be stored again as it was.
#pragma once

#include <cstdint>
#include <span>
#include <utility>

struct sqlite3_value;

class SqliteValue {
public:
    SqliteValue() = default;  // NULL
    // A copy of value (null: NULL).
    explicit SqliteValue(const sqlite3_value* value);
    // An INTEGER and a BLOB as SQLite itself would hold them, for values that come from elsewhere.
    static SqliteValue integer(std::int64_t value);
    static SqliteValue blob(std::span<const std::uint8_t> bytes);
    SqliteValue(SqliteValue&& o) noexcept : value_(std::exchange(o.value_, nullptr)) {}
    SqliteValue& operator=(SqliteValue&& o) noexcept;
    SqliteValue(const SqliteValue&) = delete;
    SqliteValue& operator=(const SqliteValue&) = delete;
    ~SqliteValue();

    int type() const;  // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, SQLITE_BLOB, SQLITE_NULL
    // The stored bytes: a text or blob's own, a number's as SQLite spells it, none for NULL.
    std::span<const std::uint8_t> bytes() const;
    // The same storage class and the same bytes.
    bool same_as(const SqliteValue& other) const;
    const sqlite3_value* get() const { return value_; }

private:
    sqlite3_value* value_ = nullptr;
};
