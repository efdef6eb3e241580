// One ODBC statement: prepared once, its parameters bound as integers or bytes, run, its rows
// fetched. Failures raise OdbcError naming the statement's text.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hostapp/db/odbc_handle.h"

// What a result column holds, as the host reads it.
enum class OdbcValueType {
    integer,  // exact whole numbers: bit, tinyint ... bigint, numeric and decimal without a scale
    real,     // floating point, numeric and decimal with a scale
    bytes,    // binary of any length
    text,     // characters, and everything else (dates, identifiers), read as text
};

struct OdbcColumn {
    std::u16string name;  // as the result names it
    // Where the driver says the column comes from; empty when it does not say (an expression, or
    // a driver that does not tell).
    std::u16string base_table, base_column;
    OdbcValueType type = OdbcValueType::text;
};

class OdbcStatement {
public:
    // A statement on connection (an ODBC connection handle), for execute_direct.
    explicit OdbcStatement(void* connection);
    // Prepares sql on connection.
    OdbcStatement(void* connection, std::u16string_view sql);
    OdbcStatement(OdbcStatement&&) noexcept;
    OdbcStatement& operator=(OdbcStatement&&) noexcept;
    ~OdbcStatement();

    // Parameters count from 1. Each keeps its own copy of the value until bound again or the
    // statement goes.
    void bind_int64(int index, std::int64_t value);
    void bind_null_int64(int index);
    // Bytes of any length, sent whole as a variable-length binary value (varbinary, bytea, BLOB).
    void bind_bytes(int index, std::span<const std::uint8_t> bytes);
    void bind_null_bytes(int index);

    // Runs the prepared statement with the values bound, closing the rows of its last run first.
    void execute();
    // Prepares nothing: runs sql as it is.
    void execute_direct(std::u16string_view sql);
    // The rows the last run changed (inserted, updated, deleted).
    std::int64_t row_count() const;

    // True while a row is available.
    bool fetch();
    // The result's columns, counted from 1; after a run.
    int column_count() const;
    OdbcColumn column(int column) const;

    // Columns count from 1; each is read once per row, in order. Nothing for NULL.
    std::optional<std::int64_t> get_int64(int column);
    std::optional<double> get_double(int column);
    // The whole text of a column, read in pieces.
    std::optional<std::u16string> get_text(int column);
    // The whole value of a bytes column of any binary type, read in pieces.
    std::optional<std::vector<std::uint8_t>> get_bytes(int column);
    // Lets go of the rows of the last run.
    void close_cursor();

private:
    // A value of fixed size, read as the C type c_type; nothing for NULL.
    template <typename Value>
    std::optional<Value> get_fixed(int column, short c_type, std::u16string_view what) {
        Value value{};
        long long indicator = 0;
        if (!fixed_value(column, c_type, &value, sizeof value, &indicator)) fail(what);
        if (indicator == kNullIndicator) return std::nullopt;
        return value;
    }
    bool fixed_value(int column, short c_type, void* value, std::size_t size, long long* indicator);
    static const long long kNullIndicator;
    struct Parameter;
    Parameter& parameter(int index);
    void bind_null(int index, short c_type, short sql_type);
    [[noreturn]] void fail(std::u16string_view what) const;
    std::u16string column_text_attribute(int column, unsigned short field) const;

    OdbcHandle statement_;
    std::u16string sql_;
    // Bound by address: each parameter stays where it is until the statement goes.
    std::map<int, std::unique_ptr<Parameter>> parameters_;
};
