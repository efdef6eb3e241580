#include "hostapp/db/sqlite_statement.h"

#include <sqlite3.h>

#include "com/utf.h"
#include "hostapp/db/database_error.h"

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.data(), int(sql.size()), &stmt_, &tail);
    if (rc != SQLITE_OK) raise_database_error(db, rc);
    if (!stmt_) raise_database_error(u"The query is empty.");
    for (const char* end = sql.data() + sql.size(); tail && tail < end; ++tail) {
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';') {
            finalize();
            raise_database_error(u"A query holds one statement only.");
        }
    }
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& o) noexcept {
    if (this != &o) {
        finalize();
        db_ = std::exchange(o.db_, nullptr);
        stmt_ = std::exchange(o.stmt_, nullptr);
    }
    return *this;
}

SqliteStatement::~SqliteStatement() { finalize(); }

void SqliteStatement::finalize() {
    if (stmt_) sqlite3_finalize(std::exchange(stmt_, nullptr));
}

bool SqliteStatement::read_only() const { return sqlite3_stmt_readonly(stmt_) != 0; }

void SqliteStatement::check_bind(int rc) const {
    if (rc != SQLITE_OK) raise_database_error(db_, rc);
}

void SqliteStatement::bind_null(int index) { check_bind(sqlite3_bind_null(stmt_, index)); }
void SqliteStatement::bind_int64(int index, std::int64_t value) {
    check_bind(sqlite3_bind_int64(stmt_, index, value));
}
void SqliteStatement::bind_double(int index, double value) {
    check_bind(sqlite3_bind_double(stmt_, index, value));
}
void SqliteStatement::bind_text(int index, std::string_view utf8) {
    check_bind(sqlite3_bind_text64(stmt_, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
}
namespace {

// A zero-length blob stays a blob (not NULL): the pointer must not be null.
const void* blob_pointer(std::span<const std::uint8_t> bytes) {
    static const std::uint8_t nothing = 0;
    return bytes.empty() ? &nothing : bytes.data();
}

}  // namespace

void SqliteStatement::bind_blob(int index, std::span<const std::uint8_t> bytes) {
    check_bind(sqlite3_bind_blob64(stmt_, index, blob_pointer(bytes), bytes.size(), SQLITE_TRANSIENT));
}
void SqliteStatement::bind_blob_in_place(int index, std::span<const std::uint8_t> bytes) {
    check_bind(sqlite3_bind_blob64(stmt_, index, blob_pointer(bytes), bytes.size(), SQLITE_STATIC));
}
void SqliteStatement::clear_bindings() { sqlite3_clear_bindings(stmt_); }

void SqliteStatement::bind_value(int index, const SqliteValue& value) {
    if (!value.get()) return bind_null(index);
    check_bind(sqlite3_bind_value(stmt_, index, value.get()));
}

bool SqliteStatement::step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    // The message is taken before the reset, which ends the statement's transaction.
    std::u16string message = utf16(sqlite3_errmsg(db_));
    sqlite3_reset(stmt_);
    raise_database_error(message);
}

void SqliteStatement::reset() {
    if (stmt_) sqlite3_reset(stmt_);
}

int SqliteStatement::column_count() const { return sqlite3_column_count(stmt_); }

std::string SqliteStatement::column_name(int column) const {
    const char* name = sqlite3_column_name(stmt_, column);
    return name ? name : "";
}

std::string SqliteStatement::column_table(int column) const {
    const char* name = sqlite3_column_table_name(stmt_, column);
    return name ? name : "";
}

std::string SqliteStatement::column_origin(int column) const {
    const char* name = sqlite3_column_origin_name(stmt_, column);
    return name ? name : "";
}

int SqliteStatement::column_type(int column) const { return sqlite3_column_type(stmt_, column); }

std::int64_t SqliteStatement::column_int64(int column) const { return sqlite3_column_int64(stmt_, column); }

double SqliteStatement::column_double(int column) const { return sqlite3_column_double(stmt_, column); }

std::span<const std::uint8_t> SqliteStatement::column_bytes(int column) const {
    // Blobs and texts alike are taken as stored; asking for the blob never converts the encoding.
    const void* data = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    if (!data || size <= 0) return {};
    return {static_cast<const std::uint8_t*>(data), std::size_t(size)};
}

SqliteValue SqliteStatement::column_value(int column) const { return SqliteValue(sqlite3_column_value(stmt_, column)); }
