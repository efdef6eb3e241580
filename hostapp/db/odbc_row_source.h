// The rows of a query over a database on a server: a statement on an ODBC connection of its own,
// in a transaction that reads one snapshot from its first row to its close (repeatable read), so
// that write-backs committed meanwhile on another connection never disturb it. The transaction is
// rolled back when the rows go: a reader never commits anything.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "hostapp/db/odbc_connection.h"
#include "hostapp/db/row_source.h"

class OdbcRowSource final : public RowSource {
public:
    // Connects to the database connection_string names and runs sql, which must be a SELECT.
    OdbcRowSource(std::u16string_view connection_string, std::u16string_view sql);
    ~OdbcRowSource() override;

    bool step() override;
    int column_count() const override { return int(columns_.size()); }
    std::u16string column_name(int column) const override { return columns_.at(std::size_t(column)).name; }
    ColumnKind kind(int column) const override { return row_.at(std::size_t(column)).kind; }
    std::int64_t integer(int column) const override { return row_.at(std::size_t(column)).integer; }
    double real(int column) const override { return row_.at(std::size_t(column)).real; }
    std::span<const std::uint8_t> bytes(int column) const override { return row_.at(std::size_t(column)).bytes; }
    const std::optional<MediaColumns>& media_columns() const override { return media_; }
    void close() override;

private:
    // The current row's value of one column.
    struct Cell {
        ColumnKind kind = ColumnKind::null;
        std::int64_t integer = 0;
        double real = 0;
        std::vector<std::uint8_t> bytes;
    };
    void read_cell(int column, Cell& cell);

    // The statement goes before the connection it belongs to.
    std::optional<OdbcConnection> connection_;
    std::optional<OdbcStatement> statement_;
    std::vector<OdbcColumn> columns_;
    std::vector<Cell> row_;
    std::optional<MediaColumns> media_;
};

// The connection string a record set reads with on a database of the system dbms (as the driver
// names it): drivers that would hold a whole result in memory, so that memory grew with the table,
// are asked to hand it out a few rows at a time (psqlODBC: UseDeclareFetch=1;Fetch=32; the SQLite
// driver: StepAPI=1), unless the string says otherwise.
std::u16string streaming_connection_string(std::u16string_view dbms, std::u16string_view connection_string);

// The media columns of a result: where the driver names each column's base table and column, by
// those; where it names none, by the result's column names, when sql reads one media table only.
std::optional<MediaColumns> media_columns_of(const std::vector<OdbcColumn>& columns, std::u16string_view sql);
