// Makes and reads host database files outside the host: for tests, demos and the benchmark data.
// A host database holds the eleven media tables, each
// MEDIAID INTEGER PRIMARY KEY, Object BLOB, ParentID INTEGER; Object holds the object's bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "hostapp/db/sqlite_connection.h"

class MediaDatabase {
public:
    // A new file with the eleven media tables, empty; an existing file is refused, never replaced.
    static MediaDatabase create(const std::filesystem::path& file);
    static MediaDatabase open(const std::filesystem::path& file);

    // Adds a record to a media table (a table name outside the eleven is refused).
    void insert(std::u16string_view table, std::int64_t media_id, std::span<const std::uint8_t> object,
                std::optional<std::int64_t> parent_id = std::nullopt);
    // Adds a record whose Object is NULL.
    void insert_null_object(std::u16string_view table, std::int64_t media_id);
    // The Object bytes of a record; nothing when there is no such record or its Object is NULL.
    std::optional<std::vector<std::uint8_t>> read(std::u16string_view table, std::int64_t media_id);
    std::int64_t count(std::u16string_view table);
    // Runs work (many inserts, say) as one transaction: all of it is stored, or none.
    void in_transaction(const std::function<void()>& work);

    SqliteConnection& connection() { return connection_; }

private:
    explicit MediaDatabase(SqliteConnection connection) : connection_(std::move(connection)) {}
    void insert_row(std::u16string_view table, std::int64_t media_id, const std::span<const std::uint8_t>* object,
                    std::optional<std::int64_t> parent_id);

    SqliteConnection connection_;
};
