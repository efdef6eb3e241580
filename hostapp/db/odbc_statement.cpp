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

// How much of a bytes value, and of a text, one SQLGetData call reads.
constexpr std::size_t kChunkBytes = 256 * 1024;
constexpr std::size_t kChunkChars = 64 * 1024;

OdbcValueType value_type(SQLSMALLINT sql_type, SQLSMALLINT scale) {
    switch (sql_type) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: return OdbcValueType::integer;
    case SQL_NUMERIC:
    case SQL_DECIMAL: return scale == 0 ? OdbcValueType::integer : OdbcValueType::real;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: return OdbcValueType::real;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY: return OdbcValueType::bytes;
    default: return OdbcValueType::text;
    }
}

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
    return get_fixed<SQLBIGINT>(column, SQL_C_SBIGINT, u"cannot read an integer column");
}

int OdbcStatement::column_count() const {
    SQLSMALLINT count = 0;
    if (!odbc_succeeded(SQLNumResultCols(statement_.get(), &count))) fail(u"cannot count its result columns");
    return count;
}

std::u16string OdbcStatement::column_text_attribute(int column, unsigned short field) const {
    std::vector<SQLWCHAR> text(256);
    SQLSMALLINT length = 0;  // in bytes
    SQLRETURN rc = SQLColAttributeW(statement_.get(), SQLUSMALLINT(column), field, text.data(),
                                    SQLSMALLINT(text.size() * sizeof(SQLWCHAR)), &length, nullptr);
    if (rc == SQL_SUCCESS_WITH_INFO && std::size_t(length) >= text.size() * sizeof(SQLWCHAR)) {
        text.resize(std::size_t(length) / sizeof(SQLWCHAR) + 1);
        rc = SQLColAttributeW(statement_.get(), SQLUSMALLINT(column), field, text.data(),
                              SQLSMALLINT(text.size() * sizeof(SQLWCHAR)), &length, nullptr);
    }
    // A driver that cannot say leaves the attribute empty.
    if (!odbc_succeeded(rc) || length <= 0) return {};
    const std::size_t chars = std::min(std::size_t(length) / sizeof(SQLWCHAR), text.size() - 1);
    return odbc_string(text.data(), chars);
}

OdbcColumn OdbcStatement::column(int column) const {
    std::vector<SQLWCHAR> name(256);
    SQLSMALLINT name_length = 0, type = 0, scale = 0, nullable = 0;
    SQLULEN size = 0;
    SQLRETURN rc = SQLDescribeColW(statement_.get(), SQLUSMALLINT(column), name.data(), SQLSMALLINT(name.size()),
                                   &name_length, &type, &size, &scale, &nullable);
    if (!odbc_succeeded(rc)) fail(u"cannot describe a result column");
    OdbcColumn described;
    described.name = odbc_string(name.data(), std::min<std::size_t>(std::size_t(std::max<SQLSMALLINT>(name_length, 0)),
                                                                    name.size() - 1));
    described.type = value_type(type, scale);
    described.base_table = column_text_attribute(column, SQL_DESC_BASE_TABLE_NAME);
    described.base_column = column_text_attribute(column, SQL_DESC_BASE_COLUMN_NAME);
    return described;
}

std::optional<double> OdbcStatement::get_double(int column) {
    return get_fixed<double>(column, SQL_C_DOUBLE, u"cannot read a number column");
}

std::optional<std::u16string> OdbcStatement::get_text(int column) {
    std::u16string value;
    std::vector<SQLWCHAR> piece(kChunkChars + 1);  // each piece comes with a terminating zero
    const SQLLEN piece_bytes = SQLLEN(piece.size() * sizeof(SQLWCHAR));
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(statement_.get(), SQLUSMALLINT(column), SQL_C_WCHAR, piece.data(), piece_bytes, &indicator);
        if (rc == SQL_NO_DATA) break;
        if (!odbc_succeeded(rc)) fail(u"cannot read a text column");
        if (indicator == SQL_NULL_DATA) return std::nullopt;
        const bool whole_piece = indicator == SQL_NO_TOTAL || indicator > piece_bytes - SQLLEN(sizeof(SQLWCHAR));
        value += odbc_string(piece.data(), whole_piece ? kChunkChars : std::size_t(indicator) / sizeof(SQLWCHAR));
        if (!whole_piece) break;
    }
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

const long long OdbcStatement::kNullIndicator = SQL_NULL_DATA;

bool OdbcStatement::fixed_value(int column, short c_type, void* value, std::size_t size, long long* indicator) {
    SQLLEN got = 0;
    const SQLRETURN rc = SQLGetData(statement_.get(), SQLUSMALLINT(column), c_type, value, SQLLEN(size), &got);
    *indicator = got;
    return odbc_succeeded(rc);
}
