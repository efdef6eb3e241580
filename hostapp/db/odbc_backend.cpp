#include "hostapp/db/odbc_backend.h"

#include <cmath>
#include <limits>

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/odbc_host_database.h"
#include "hostapp/db/odbc_row_source.h"
#include "hostapp/db/write_back_values.h"

namespace {

constexpr std::size_t kMostKeptStatements = 64;

// A key as the integer it stands for: every key of a media table is a whole number.
std::int64_t key_number(const VARIANT& key) {
    VARIANT scratch;
    const VARIANT& v = dereferenced(key, scratch);
    switch (v.vt) {
    case VT_NULL:
    case VT_EMPTY: raise_database_error(u"The key value is missing.");
    case VT_I2: return v.iVal;
    case VT_I4: return v.lVal;
    case VT_I8: return v.llVal;
    case VT_R8:
        if (v.dblVal == std::floor(v.dblVal) && std::fabs(v.dblVal) < 9.0e18) return std::int64_t(v.dblVal);
        break;
    case VT_BSTR: {
        const std::u16string_view text = bstr_view(v.bstrVal);
        const std::u16string_view digits = text.substr(text.starts_with(u'-') ? 1 : 0);
        if (digits.empty() || digits.size() > 18 || digits.find_first_not_of(u"0123456789") != std::u16string_view::npos)
            break;
        return std::stoll(utf8(text));
    }
    default: break;
    }
    raise_database_error(u"The key " + key_text(key) + u" is not a whole number.");
}

// Binds value: a text as its bytes (which it gives), NULL, or a whole number.
std::vector<std::uint8_t> bind_value(OdbcStatement& statement, int index, const VARIANT& value) {
    VARIANT scratch;
    const VARIANT& v = dereferenced(value, scratch);
    switch (v.vt) {
    case VT_NULL:
    case VT_EMPTY: statement.bind_null_bytes(index); return {};
    case VT_BSTR: {
        std::vector<std::uint8_t> bytes = stored_text_bytes(bstr_view(v.bstrVal));
        statement.bind_bytes(index, bytes);
        return bytes;
    }
    case VT_I2: statement.bind_int64(index, v.iVal); return {};
    case VT_I4: statement.bind_int64(index, v.lVal); return {};
    case VT_I8: statement.bind_int64(index, v.llVal); return {};
    default: raise_standard_error(RuntimeError::TypeMismatch);
    }
}

// A number written, as the journal keeps what was stored.
SqliteValue stored_number(const VARIANT& value) {
    VARIANT scratch;
    const VARIANT& v = dereferenced(value, scratch);
    switch (v.vt) {
    case VT_I2: return SqliteValue::integer(v.iVal);
    case VT_I4: return SqliteValue::integer(v.lVal);
    case VT_I8: return SqliteValue::integer(v.llVal);
    default: return SqliteValue();
    }
}

}  // namespace

OdbcBackend::OdbcBackend(std::u16string connection_string)
    : connection_string_(std::move(connection_string)), writer_(connect_host_database(connection_string_)) {
    check_host_database(writer_, connection_string_);
    transact_sql_ = is_sql_server(writer_);
    reader_connection_string_ = streaming_connection_string(writer_.dbms_name(), connection_string_);
    // Every statement from now on belongs to a transaction that begin opens and commit or rollback ends.
    writer_.set_autocommit(false);
}

std::u16string OdbcBackend::name_sql(std::u16string_view name) const { return plain_name_sql(name); }

std::unique_ptr<RowSource> OdbcBackend::open_rows(std::u16string_view sql) const {
    return std::make_unique<OdbcRowSource>(reader_connection_string_, sql);
}

OdbcStatement& OdbcBackend::kept_statement(const std::u16string& sql) {
    auto kept = statements_.find(sql);
    if (kept == statements_.end()) {
        OdbcStatement prepared = writer_.prepare(sql);
        if (statements_.size() >= kMostKeptStatements) statements_.clear();
        kept = statements_.emplace(sql, std::move(prepared)).first;
    }
    return kept->second;
}

// Without autocommit the transaction opens with its first statement.
void OdbcBackend::begin() { in_transaction_ = true; }

void OdbcBackend::commit() {
    writer_.commit();
    in_transaction_ = false;
}

void OdbcBackend::rollback() noexcept {
    if (!std::exchange(in_transaction_, false)) return;
    try {
        writer_.rollback();
    } catch (const ComError&) {
        // The server ends a transaction whose connection is gone.
    }
}

void OdbcBackend::savepoint() { writer_.execute(transact_sql_ ? u"SAVE TRANSACTION write_back" : u"SAVEPOINT write_back"); }

void OdbcBackend::release_savepoint() {
    if (!transact_sql_) writer_.execute(u"RELEASE SAVEPOINT write_back");
}

void OdbcBackend::undo_savepoint() noexcept {
    try {
        if (transact_sql_) {
            writer_.execute(u"ROLLBACK TRANSACTION write_back");
        } else {
            writer_.execute(u"ROLLBACK TO SAVEPOINT write_back");
            writer_.execute(u"RELEASE SAVEPOINT write_back");
        }
    } catch (const ComError&) {
        rollback();
    }
}

StoredWriteBack OdbcBackend::write(const WriteBackRequest& request) {
    const std::u16string table = u"dbo." + plain_name_sql(request.table);
    const std::u16string column = plain_name_sql(request.column), key_column = plain_name_sql(request.key_column);
    const std::int64_t key = key_number(request.key);
    StoredWriteBack done;
    if (request.journaled) {
        OdbcStatement& read =
            kept_statement(u"SELECT " + column + u", " + key_column + u" FROM " + table + u" WHERE " + key_column + u" = ?");
        read.bind_int64(1, key);
        read.execute();
        if (read.fetch()) {
            if (std::optional<std::vector<std::uint8_t>> before = read.get_bytes(1)) done.before = SqliteValue::blob(*before);
            if (std::optional<std::int64_t> stored_key = read.get_int64(2)) done.key = SqliteValue::integer(*stored_key);
        }
        read.close_cursor();
    }

    std::u16string sql = u"UPDATE " + table + u" SET " + column + u" = ? WHERE " + key_column + u" = ?";
    const ObjectRead* over = request.only_over;
    if (over) sql += u" AND " + (over->bytes ? same_bytes_sql(transact_sql_, column) : column + u" IS NULL");
    OdbcStatement& update = kept_statement(sql);
    done.written = bind_value(update, 1, request.value);
    update.bind_int64(2, key);
    if (over && over->bytes) update.bind_bytes(3, *over->bytes);
    update.execute();
    done.changed = update.row_count();
    if (done.changed == 0 && over) {
        OdbcStatement& exists = kept_statement(u"SELECT count(*) FROM " + table + u" WHERE " + key_column + u" = ?");
        exists.bind_int64(1, key);
        exists.execute();
        const bool there = exists.fetch() && exists.get_int64(1).value_or(0) > 0;
        exists.close_cursor();
        if (there)
            raise_database_error(u"The record " + std::u16string(request.table) + u" " + std::u16string(request.key_column) +
                                 u" " + key_text(request.key) +
                                 u" was changed by someone else since the run read it; nothing was written.");
    }
    if (request.journaled && done.changed == 1 && done.written.empty()) done.stored = stored_number(request.value);
    return done;
}
