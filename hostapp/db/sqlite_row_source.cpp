#include "hostapp/db/sqlite_row_source.h"

#include <sqlite3.h>

#include <vector>

#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/sqlite_host_file.h"

SqliteRowSource::SqliteRowSource(SqliteConnection connection, std::string_view sql)
    : connection_(std::move(connection)), statement_(connection_.prepare(sql)) {
    if (!statement_.read_only()) raise_database_error(u"A forward record set only reads; the query would write.");
    std::vector<ColumnOrigin> origins;
    for (int i = 0; i < statement_.column_count(); ++i)
        origins.push_back({utf16(statement_.column_table(i)), utf16(statement_.column_origin(i))});
    media_ = find_media_columns(origins);
}

bool SqliteRowSource::step() { return statement_.step(); }

int SqliteRowSource::column_count() const { return statement_.column_count(); }

std::u16string SqliteRowSource::column_name(int column) const { return utf16(statement_.column_name(column)); }

ColumnKind SqliteRowSource::kind(int column) const {
    switch (statement_.column_type(column)) {
    case SQLITE_NULL: return ColumnKind::null;
    case SQLITE_INTEGER: return ColumnKind::integer;
    case SQLITE_FLOAT: return ColumnKind::real;
    default: return ColumnKind::bytes;
    }
}

std::int64_t SqliteRowSource::integer(int column) const { return statement_.column_int64(column); }

double SqliteRowSource::real(int column) const { return statement_.column_double(column); }

std::span<const std::uint8_t> SqliteRowSource::bytes(int column) const { return statement_.column_bytes(column); }

void SqliteRowSource::close() { statement_.finalize(); }

std::unique_ptr<RowSource> open_sqlite_rows(const std::filesystem::path& file, int busy_timeout_ms, std::u16string_view sql) {
    SqliteConnection reader = SqliteConnection::open_host_view(file, busy_timeout_ms);
    configure_host_connection(reader);
    reader.execute("PRAGMA query_only = 1");
    return std::make_unique<SqliteRowSource>(std::move(reader), utf8(sql));
}
