#include "hostapp/db/odbc_statement.h"

#include <algorithm>

#include "hostapp/db/odbc_api.h"
#include "hostapp/db/odbc_diagnostics.h"

struct OdbcStatement::Parameter {
    SQLBIGINT integer = 0;
    std::vector<std::uint8_t> bytes;
    SQLLEN indicator = 0;
};

namespace {

// How much of a bytes value one SQLGetData call reads.
constexpr std::size_t kChunkBytes = 256 * 1024;

}  // namespace

OdbcStatement::OdbcStatement(void* connection) : statement_(SQL_HANDLE_STMT, connection) {}

OdbcStatement::OdbcStatement(void* connection, std::u16string_view sql)
    : statement_(SQL_HANDLE_STMT, connection), sql_(sql) {
    std::u16string text(sql);
    if (!odbc_succeeded(SQLPrepareW(statement_.get(), odbc_text(text), SQLINTEGER(text.size()))))
        fail(u"cannot be prepared");
}

OdbcStatement::OdbcStatement(OdbcStatement&&) noexcept = default;
OdbcStatement& OdbcStatement::operator=(OdbcStatement&&) noexcept = default;
OdbcStatement::~OdbcStatement() = default;

void OdbcStatement::fail(std::u16string_view what) const {
    raise_odbc_error(SQL_HANDLE_STMT, statement_.get(), u"The statement \"" + sql_ + u"\" " + std::u16string(what));
}

OdbcStatement::Parameter& OdbcStatement::parameter(int index) {
    std::unique_ptr<Parameter>& kept = parameters_[index];
    if (!kept) kept = std::make_unique<Parameter>();
    return *kept;
}

void OdbcStatement::bind_int64(int index, std::int64_t value) {
    Parameter& p = parameter(index);
    p.integer = value;
    p.indicator = 0;
    SQLRETURN rc = SQLBindParameter(statement_.get(), SQLUSMALLINT(index), SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                    &p.integer, 0, &p.indicator);
    if (!odbc_succeeded(rc)) fail(u"cannot take an integer parameter");
}

void OdbcStatement::bind_bytes(int index, std::span<const std::uint8_t> bytes) {
    Parameter& p = parameter(index);
    p.bytes.assign(bytes.begin(), bytes.end());
    // A buffer that is never null, so that no bytes stay bytes and not NULL.
    if (p.bytes.empty()) p.bytes.reserve(1);
    p.indicator = SQLLEN(bytes.size());
    // VARBINARY, not LONGVARBINARY: a long binary is a large object to some drivers and cannot be
    // compared with = on some servers, and a conditional write compares the stored bytes.
    SQLRETURN rc = SQLBindParameter(statement_.get(), SQLUSMALLINT(index), SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY,
                                    std::max<SQLULEN>(bytes.size(), 1), 0, p.bytes.data(), p.indicator, &p.indicator);
    if (!odbc_succeeded(rc)) fail(u"cannot take a bytes parameter");
}

// A NULL has a type too: a server may refuse a bytes-typed NULL in an integer column.
void OdbcStatement::bind_null(int index, short c_type, short sql_type) {
    Parameter& p = parameter(index);
    p.indicator = SQL_NULL_DATA;
    SQLRETURN rc = SQLBindParameter(statement_.get(), SQLUSMALLINT(index), SQL_PARAM_INPUT, c_type, sql_type,
                                    sql_type == SQL_VARBINARY ? 1 : 0, 0, nullptr, 0, &p.indicator);
    if (!odbc_succeeded(rc)) fail(u"cannot take a NULL parameter");
}

void OdbcStatement::bind_null_int64(int index) { bind_null(index, SQL_C_SBIGINT, SQL_BIGINT); }
void OdbcStatement::bind_null_bytes(int index) { bind_null(index, SQL_C_BINARY, SQL_VARBINARY); }

void OdbcStatement::execute() {
    close_cursor();
    SQLRETURN rc = SQLExecute(statement_.get());
    // SQL_NO_DATA: a searched update or delete that matched no row.
    if (!odbc_succeeded(rc) && rc != SQL_NO_DATA) fail(u"failed");
}

void OdbcStatement::execute_direct(std::u16string_view sql) {
    close_cursor();
    sql_ = sql;
    std::u16string text(sql);
    SQLRETURN rc = SQLExecDirectW(statement_.get(), odbc_text(text), SQLINTEGER(text.size()));
    if (!odbc_succeeded(rc) && rc != SQL_NO_DATA) fail(u"failed");
}

std::int64_t OdbcStatement::row_count() const {
    SQLLEN count = 0;
    if (!odbc_succeeded(SQLRowCount(statement_.get(), &count))) fail(u"cannot count the rows it changed");
    return count;
}

bool OdbcStatement::fetch() {
    SQLRETURN rc = SQLFetch(statement_.get());
    if (rc == SQL_NO_DATA) return false;
    if (!odbc_succeeded(rc)) fail(u"cannot fetch a row");
    return true;
}

std::optional<std::int64_t> OdbcStatement::get_int64(int column) {
    SQLBIGINT value = 0;
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(statement_.get(), SQLUSMALLINT(column), SQL_C_SBIGINT, &value, sizeof value, &indicator);
    if (!odbc_succeeded(rc)) fail(u"cannot read an integer column");
    if (indicator == SQL_NULL_DATA) return std::nullopt;
    return value;
}

std::optional<std::vector<std::uint8_t>> OdbcStatement::get_bytes(int column) {
    std::vector<std::uint8_t> value;
    // Each call gives the next piece, with the length left (or SQL_NO_TOTAL) while more follows;
    // SQL_NO_DATA once all of it has been given.
    for (;;) {
        const std::size_t had = value.size();
        value.resize(had + kChunkBytes);
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(statement_.get(), SQLUSMALLINT(column), SQL_C_BINARY, value.data() + had,
                                  SQLLEN(kChunkBytes), &indicator);
        if (rc == SQL_NO_DATA) {
            value.resize(had);
            break;
        }
        if (!odbc_succeeded(rc)) fail(u"cannot read a bytes column");
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        const bool whole_piece = indicator == SQL_NO_TOTAL || std::size_t(indicator) > kChunkBytes;
        value.resize(had + (whole_piece ? kChunkBytes : std::size_t(indicator)));
        // What is left is known: room for all of it at once.
        if (whole_piece && indicator != SQL_NO_TOTAL) value.reserve(had + std::size_t(indicator));
    }
    return value;
}

void OdbcStatement::close_cursor() {
    // Closing a statement without rows is no error.
    SQLFreeStmt(statement_.get(), SQL_CLOSE);
}
