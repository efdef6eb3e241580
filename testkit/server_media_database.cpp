#include "testkit/server_media_database.h"

#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/db/odbc_host_database.h"

namespace {

std::u16string table_sql(std::u16string_view name) {
    std::optional<std::u16string_view> table = find_media_table(name);
    if (!table) raise_database_error(u"\"" + std::u16string(name) + u"\" is not a media table of the host database.");
    return u"dbo." + std::u16string(*table);
}

}  // namespace

ServerMediaDatabase ServerMediaDatabase::create(std::u16string_view connection_string, std::u16string_view bytes_type) {
    OdbcConnection connection(connection_string);
    connection.execute(u"DROP SCHEMA IF EXISTS dbo CASCADE");
    connection.execute(u"CREATE SCHEMA dbo");
    for (std::u16string_view table : kMediaTables)
        connection.execute(u"CREATE TABLE dbo." + std::u16string(table) + u" (MEDIAID integer PRIMARY KEY, Object " +
                           std::u16string(bytes_type) + u", ParentID integer)");
    return ServerMediaDatabase(std::move(connection));
}

ServerMediaDatabase ServerMediaDatabase::open(std::u16string_view connection_string) {
    return ServerMediaDatabase(connect_host_database(connection_string));
}

void ServerMediaDatabase::insert_row(std::u16string_view table, std::int64_t media_id,
                                     const std::span<const std::uint8_t>* object, std::optional<std::int64_t> parent_id) {
    OdbcStatement insert =
        connection_.prepare(u"INSERT INTO " + table_sql(table) + u" (MEDIAID, Object, ParentID) VALUES (?, ?, ?)");
    insert.bind_int64(1, media_id);
    object ? insert.bind_bytes(2, *object) : insert.bind_null_bytes(2);
    parent_id ? insert.bind_int64(3, *parent_id) : insert.bind_null_int64(3);
    insert.execute();
}

void ServerMediaDatabase::insert(std::u16string_view table, std::int64_t media_id, std::span<const std::uint8_t> object,
                                 std::optional<std::int64_t> parent_id) {
    insert_row(table, media_id, &object, parent_id);
}

void ServerMediaDatabase::insert_null_object(std::u16string_view table, std::int64_t media_id) {
    insert_row(table, media_id, nullptr, std::nullopt);
}

void ServerMediaDatabase::replace(std::u16string_view table, std::int64_t media_id, std::span<const std::uint8_t> object) {
    OdbcStatement update = connection_.prepare(u"UPDATE " + table_sql(table) + u" SET Object = ? WHERE MEDIAID = ?");
    update.bind_bytes(1, object);
    update.bind_int64(2, media_id);
    update.execute();
    if (update.row_count() != 1) raise_database_error(u"No record to replace.");
}

std::optional<std::vector<std::uint8_t>> ServerMediaDatabase::read(std::u16string_view table, std::int64_t media_id) {
    OdbcStatement select = connection_.prepare(u"SELECT Object FROM " + table_sql(table) + u" WHERE MEDIAID = ?");
    select.bind_int64(1, media_id);
    select.execute();
    if (!select.fetch()) return std::nullopt;
    return select.get_bytes(1);
}

std::int64_t ServerMediaDatabase::count(std::u16string_view table) {
    OdbcStatement select = connection_.prepare(u"SELECT count(*) FROM " + table_sql(table));
    select.execute();
    select.fetch();
    return select.get_int64(1).value_or(0);
}

std::map<std::pair<std::u16string, std::int64_t>, std::optional<std::vector<std::uint8_t>>>
ServerMediaDatabase::all_records() {
    std::map<std::pair<std::u16string, std::int64_t>, std::optional<std::vector<std::uint8_t>>> records;
    for (std::u16string_view table : kMediaTables) {
        OdbcStatement select = connection_.prepare(u"SELECT MEDIAID, Object FROM " + table_sql(table));
        select.execute();
        while (select.fetch()) {
            const std::int64_t id = select.get_int64(1).value_or(0);
            records[{std::u16string(table), id}] = select.get_bytes(2);
        }
    }
    return records;
}

void ServerMediaDatabase::in_transaction(const std::function<void()>& work) {
    connection_.set_autocommit(false);
    try {
        work();
        connection_.commit();
    } catch (...) {
        try {
            connection_.rollback();
        } catch (...) {
        }
        connection_.set_autocommit(true);
        throw;
    }
    connection_.set_autocommit(true);
}
