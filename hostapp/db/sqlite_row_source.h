// The rows of a query over an SQLite host database: a statement on a read-only connection of its
// own, which reads one snapshot of the file (in write-ahead-log mode) from its first step to its
// close.
#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "hostapp/db/row_source.h"
#include "hostapp/db/sqlite_connection.h"

class SqliteRowSource final : public RowSource {
public:
    // Prepares sql on connection; a statement that would write is refused.
    SqliteRowSource(SqliteConnection connection, std::string_view sql);

    bool step() override;
    int column_count() const override;
    std::u16string column_name(int column) const override;
    ColumnKind kind(int column) const override;
    std::int64_t integer(int column) const override;
    double real(int column) const override;
    std::span<const std::uint8_t> bytes(int column) const override;
    const std::optional<MediaColumns>& media_columns() const override { return media_; }
    void close() override;

private:
    // The statement goes before the connection it belongs to.
    SqliteConnection connection_;
    SqliteStatement statement_;
    std::optional<MediaColumns> media_;
};

// The rows of sql on a read-only connection of its own to the host database file.
std::unique_ptr<RowSource> open_sqlite_rows(const std::filesystem::path& file, int busy_timeout_ms, std::u16string_view sql);
