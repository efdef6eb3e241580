#include "hostapp/db/database_location.h"

#include "com/utf.h"
#include "hostapp/db/odbc_backend.h"
#include "hostapp/db/odbc_connection.h"
#include "hostapp/db/odbc_connection_string.h"
#include "hostapp/db/odbc_host_database.h"
#include "hostapp/db/odbc_row_source.h"
#include "hostapp/db/sqlite_backend.h"
#include "hostapp/db/sqlite_host_file.h"
#include "hostapp/db/sqlite_row_source.h"

std::string DatabaseLocation::shown() const {
    return is_on_server() ? utf8(redacted_connection_string(connection)) : file.string();
}

std::string DatabaseLocation::identity() const {
    if (is_on_server()) return "odbc:" + utf8(server_and_database_of(connection));
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
    return (ec ? file : absolute).string();
}

void check_host_database(const DatabaseLocation& location) {
    if (!location.is_on_server()) return check_host_database_file(location.file);
    OdbcConnection connection = connect_host_database(location.connection);
    check_host_database(connection, location.connection);
}

std::int64_t count_media_records(const DatabaseLocation& location, int busy_timeout_ms) {
    return location.is_on_server() ? count_media_records(location.connection)
                                   : count_media_records(location.file, busy_timeout_ms);
}

std::unique_ptr<RowSource> open_rows_at(const DatabaseLocation& location, int busy_timeout_ms, std::u16string_view sql) {
    if (location.is_on_server()) return std::make_unique<OdbcRowSource>(location.connection, sql);
    return open_sqlite_rows(location.file, busy_timeout_ms, sql);
}

std::unique_ptr<DatabaseBackend> open_database_backend(const DatabaseLocation& location, int busy_timeout_ms,
                                                       WriteBacks write_backs) {
    if (location.is_on_server()) return std::make_unique<OdbcBackend>(location.connection);
    return std::make_unique<SqliteBackend>(location.file, busy_timeout_ms, write_backs);
}
