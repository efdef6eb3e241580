#include "testkit/media_database.h"

#include <sqlite3.h>

#include <system_error>

#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"

namespace {

std::string table_sql(std::u16string_view name) {
    std::optional<std::u16string_view> table = find_media_table(name);
    if (!table) raise_database_error(u"\"" + std::u16string(name) + u"\" is not a media table of the host database.");
    return quote_identifier(utf8(*table));
}

}  // namespace

MediaDatabase MediaDatabase::create(const std::filesystem::path& file) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec) || ec)
        raise_database_error(u"The database file " + utf16(file.string()) + u" exists already.");
    MediaDatabase database(SqliteConnection::open_file(file, true));
    database.connection_.execute("PRAGMA journal_mode = WAL");
    database.in_transaction([&] {
        for (std::u16string_view table : kMediaTables)
            database.connection_.execute("CREATE TABLE " + quote_identifier(utf8(table)) +
                                         " (MEDIAID INTEGER PRIMARY KEY, Object BLOB, ParentID INTEGER)");
    });
    return database;
}

MediaDatabase MediaDatabase::open(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        raise_database_error(u"The database file " + utf16(file.string()) + u" does not exist.");
    return MediaDatabase(SqliteConnection::open_file(file, false));
}

void MediaDatabase::insert_row(std::u16string_view table, std::int64_t media_id,
                               const std::span<const std::uint8_t>* object, std::optional<std::int64_t> parent_id) {
    SqliteStatement statement =
        connection_.prepare("INSERT INTO " + table_sql(table) + " (MEDIAID, Object, ParentID) VALUES (?1, ?2, ?3)");
    statement.bind_int64(1, media_id);
    if (object) statement.bind_blob(2, *object);
    else statement.bind_null(2);
    if (parent_id) statement.bind_int64(3, *parent_id);
    else statement.bind_null(3);
    statement.step();
}

void MediaDatabase::insert(std::u16string_view table, std::int64_t media_id, std::span<const std::uint8_t> object,
                           std::optional<std::int64_t> parent_id) {
    insert_row(table, media_id, &object, parent_id);
}

void MediaDatabase::insert_null_object(std::u16string_view table, std::int64_t media_id) {
    insert_row(table, media_id, nullptr, std::nullopt);
}

std::optional<std::vector<std::uint8_t>> MediaDatabase::read(std::u16string_view table, std::int64_t media_id) {
    SqliteStatement statement = connection_.prepare("SELECT Object FROM " + table_sql(table) + " WHERE MEDIAID = ?1");
    statement.bind_int64(1, media_id);
    if (!statement.step() || statement.column_type(0) == SQLITE_NULL) return std::nullopt;
    std::span<const std::uint8_t> bytes = statement.column_bytes(0);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::int64_t MediaDatabase::count(std::u16string_view table) {
    SqliteStatement statement = connection_.prepare("SELECT count(*) FROM " + table_sql(table));
    statement.step();
    return statement.column_int64(0);
}

void MediaDatabase::in_transaction(const std::function<void()>& work) {
    connection_.execute("BEGIN IMMEDIATE");
    try {
        work();
        connection_.execute("COMMIT");
    } catch (...) {
        sqlite3_exec(connection_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}
