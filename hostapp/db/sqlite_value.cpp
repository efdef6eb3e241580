#include "hostapp/db/sqlite_value.h"

#include <sqlite3.h>

#include <algorithm>
#include <new>

SqliteValue::SqliteValue(const sqlite3_value* value) {
    if (!value) return;
    value_ = sqlite3_value_dup(value);
    if (!value_) throw std::bad_alloc();
}

namespace {

// "SELECT ?1" on a database of its own, one for each thread: a value bound to it comes back as
// SQLite holds it.
class ValueMaker {
public:
    ValueMaker() {
        if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db_, "SELECT ?1", -1, &select_, nullptr) != SQLITE_OK)
            throw std::bad_alloc();
    }
    ~ValueMaker() {
        sqlite3_finalize(select_);
        sqlite3_close_v2(db_);
    }
    ValueMaker(const ValueMaker&) = delete;
    ValueMaker& operator=(const ValueMaker&) = delete;

    template <class Bind>
    SqliteValue make(Bind bind) {
        if (bind(select_) != SQLITE_OK || sqlite3_step(select_) != SQLITE_ROW) {
            sqlite3_reset(select_);
            throw std::bad_alloc();
        }
        SqliteValue value(sqlite3_column_value(select_, 0));
        sqlite3_reset(select_);
        sqlite3_clear_bindings(select_);
        return value;
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
};

ValueMaker& value_maker() {
    thread_local ValueMaker maker;
    return maker;
}

}  // namespace

SqliteValue SqliteValue::integer(std::int64_t value) {
    return value_maker().make([&](sqlite3_stmt* s) { return sqlite3_bind_int64(s, 1, value); });
}

SqliteValue SqliteValue::blob(std::span<const std::uint8_t> bytes) {
    static const std::uint8_t nothing = 0;  // a zero-length blob stays a blob, not NULL
    return value_maker().make([&](sqlite3_stmt* s) {
        return sqlite3_bind_blob64(s, 1, bytes.empty() ? &nothing : bytes.data(), bytes.size(), SQLITE_STATIC);
    });
}

SqliteValue& SqliteValue::operator=(SqliteValue&& o) noexcept {
    if (this != &o) {
        sqlite3_value_free(value_);
        value_ = std::exchange(o.value_, nullptr);
    }
    return *this;
}

SqliteValue::~SqliteValue() { sqlite3_value_free(value_); }

int SqliteValue::type() const { return value_ ? sqlite3_value_type(value_) : SQLITE_NULL; }

std::span<const std::uint8_t> SqliteValue::bytes() const {
    if (type() == SQLITE_NULL) return {};
    // A copy of our own may be converted in place; asking for the blob never changes a text's encoding.
    const void* data = sqlite3_value_blob(value_);
    const int size = sqlite3_value_bytes(value_);
    if (!data || size <= 0) return {};
    return {static_cast<const std::uint8_t*>(data), std::size_t(size)};
}

bool SqliteValue::same_as(const SqliteValue& other) const {
    if (type() != other.type()) return false;
    const auto a = bytes(), b = other.bytes();
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}
