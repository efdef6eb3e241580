#include "hostapp/db/sqlite_host_file.h"

#include <sqlite3.h>

#include <cstring>
#include <fstream>
#include <string>

#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/db/sqlite_connection.h"

namespace {

// The first bytes of every SQLite database file.
constexpr char kSqliteHeader[] = "SQLite format 3";

}  // namespace

void configure_host_connection(const SqliteConnection& connection) {
    sqlite3_db_config(connection.handle(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(connection.handle(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

void check_sqlite_file(const std::filesystem::path& file) {
    const std::u16string name = utf16(file.string());
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) raise_database_error(u"The database file " + name + u" is a folder.");
    if (!std::filesystem::is_regular_file(file, ec))
        raise_database_error(u"The database file " + name + u" does not exist.");
    if (std::filesystem::file_size(file, ec) == 0)
        raise_database_error(u"The database file " + name + u" is empty.");
    char header[sizeof kSqliteHeader] = {};
    std::ifstream in(file, std::ios::binary);
    if (!in) raise_database_error(u"The database file " + name + u" cannot be read.");
    in.read(header, sizeof header);
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got != sizeof header || std::memcmp(header, kSqliteHeader, sizeof header) != 0)
        raise_database_error(u"The file " + name + u" is not an SQLite database.");
}

void check_host_database_file(const std::filesystem::path& file) {
    check_sqlite_file(file);
    SqliteConnection connection = SqliteConnection::open_host_view(file, 0);
    std::u16string missing;
    for (std::u16string_view table : kMediaTables) {
        SqliteStatement exists =
            connection.prepare("SELECT 1 FROM dbo.sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
        exists.bind_text(1, utf8(table));
        if (!exists.step()) missing += (missing.empty() ? u"" : u", ") + std::u16string(table);
    }
    if (!missing.empty())
        raise_database_error(u"The database " + utf16(file.string()) + u" is not a host database: it lacks the media table" +
                             (missing.find(u',') == std::u16string::npos ? u" " : u"s ") + missing + u".");
}

std::int64_t count_media_records(const std::filesystem::path& file, int busy_timeout_ms) {
    SqliteConnection connection = SqliteConnection::open_host_view(file, busy_timeout_ms);
    configure_host_connection(connection);
    std::int64_t total = 0;
    for (std::u16string_view table : kMediaTables) {
        SqliteStatement count = connection.prepare("SELECT count(*) FROM dbo." + quote_identifier(utf8(table)));
        if (count.step()) total += count.column_int64(0);
    }
    return total;
}
