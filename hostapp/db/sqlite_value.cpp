#include "hostapp/db/sqlite_value.h"

#include <sqlite3.h>

#include <algorithm>
#include <new>

SqliteValue::SqliteValue(const sqlite3_value* value) {
    if (!value) return;
    value_ = sqlite3_value_dup(value);
    if (!value_) throw std::bad_alloc();
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
