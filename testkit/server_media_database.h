// Makes and reads host databases on a server, through ODBC, outside the host: the eleven media
// tables under the schema dbo, each MEDIAID integer primary key, Object (the server's bytes type),
// ParentID integer, named unquoted as the host names them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "hostapp/db/odbc_connection.h"

class ServerMediaDatabase {
public:
    // Makes the schema dbo afresh (dropping one that is there, with all it holds) with the eleven
    // media tables, empty; bytes_type is the Object column's type (bytea on PostgreSQL).
    static ServerMediaDatabase create(std::u16string_view connection_string, std::u16string_view bytes_type = u"bytea");
    // On the database as it is (an SQLite file as the host sees it: see connect_host_database).
    static ServerMediaDatabase open(std::u16string_view connection_string);

    void insert(std::u16string_view table, std::int64_t media_id, std::span<const std::uint8_t> object,
                std::optional<std::int64_t> parent_id = std::nullopt);
    void insert_null_object(std::u16string_view table, std::int64_t media_id);
    // Stores object as the record's Object: another user's change, say.
    void replace(std::u16string_view table, std::int64_t media_id, std::span<const std::uint8_t> object);
    // The Object bytes of a record; nothing when there is no such record or its Object is NULL.
    std::optional<std::vector<std::uint8_t>> read(std::u16string_view table, std::int64_t media_id);
    std::int64_t count(std::u16string_view table);
    // Every record of the eleven tables: (table, MEDIAID) to its Object (nothing for NULL).
    std::map<std::pair<std::u16string, std::int64_t>, std::optional<std::vector<std::uint8_t>>> all_records();

    // Runs work (many inserts, say) as one transaction: all of it is stored, or none.
    void in_transaction(const std::function<void()>& work);

    OdbcConnection& connection() { return connection_; }

private:
    explicit ServerMediaDatabase(OdbcConnection connection) : connection_(std::move(connection)) {}
    void insert_row(std::u16string_view table, std::int64_t media_id, const std::span<const std::uint8_t>* object,
                    std::optional<std::int64_t> parent_id);

    OdbcConnection connection_;
};
