#include "hostapp/db/odbc_record_restore.h"

#include <sqlite3.h>

#include <optional>
#include <vector>

#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/db/odbc_connection.h"
#include "hostapp/db/odbc_host_database.h"
#include "hostapp/db/record_restore.h"

namespace {

using StoredBytes = std::optional<std::vector<std::uint8_t>>;  // none: NULL

// Whether the stored bytes are the journal's value from before (a server's Object is bytes or NULL).
bool holds(const StoredBytes& now, const SqliteValue& before) {
    if (!now) return before.type() == SQLITE_NULL;
    if (before.type() == SQLITE_NULL) return false;
    const std::span<const std::uint8_t> bytes = before.bytes();
    return std::equal(now->begin(), now->end(), bytes.begin(), bytes.end());
}

class OdbcRecordRestorer final : public RecordRestorer {
public:
    explicit OdbcRecordRestorer(std::u16string_view connection_string)
        : connection_(connect_host_database(connection_string)), sql_server_(is_sql_server(connection_)) {
        connection_.set_autocommit(false);
    }
    Restored restore(const JournalEntry& entry) override;

private:
    // The record's column now, or nothing when there is no such record.
    std::optional<StoredBytes> read(const std::u16string& sql, std::int64_t key);
    Restored put_back(const JournalEntry& entry, std::int64_t key);

    OdbcConnection connection_;
    bool sql_server_;
};

std::optional<StoredBytes> OdbcRecordRestorer::read(const std::u16string& sql, std::int64_t key) {
    OdbcStatement select = connection_.prepare(sql);
    select.bind_int64(1, key);
    select.execute();
    if (!select.fetch()) return std::nullopt;
    return select.get_bytes(1);
}

Restored OdbcRecordRestorer::restore(const JournalEntry& entry) {
    if (entry.key.type() != SQLITE_INTEGER) return Restored::missing;  // the run found no record by that key
    const std::span<const std::uint8_t> digits = entry.key.bytes();
    const std::int64_t key = std::stoll(std::string(digits.begin(), digits.end()));
    try {
        const Restored result = put_back(entry, key);
        connection_.commit();
        return result;
    } catch (...) {
        try {
            connection_.rollback();
        } catch (...) {
        }
        throw;
    }
}

Restored OdbcRecordRestorer::put_back(const JournalEntry& entry, std::int64_t key) {
    const std::optional<std::u16string_view> table = find_media_table(entry.table);
    if (!table) raise_database_error(u"\"" + entry.table + u"\" is not a media table of the host database.");
    const std::u16string table_sql = u"dbo." + plain_name_sql(*table), column = plain_name_sql(entry.column);
    const std::u16string where = u" WHERE " + plain_name_sql(entry.key_column) + u" = ?";
    const std::u16string select = u"SELECT " + column + u" FROM " + table_sql + where;

    const std::optional<StoredBytes> found = read(select, key);
    if (!found) return Restored::missing;
    const StoredBytes& now = *found;
    if (sha256(now ? std::span<const std::uint8_t>(*now) : std::span<const std::uint8_t>()) != entry.written)
        return holds(now, entry.before) ? Restored::already : Restored::changed;

    OdbcStatement update = connection_.prepare(u"UPDATE " + table_sql + u" SET " + column + u" = ?" + where + u" AND " +
                                               (now ? same_bytes_sql(sql_server_, column) : column + u" IS NULL"));
    if (entry.before.type() == SQLITE_NULL) update.bind_null_bytes(1);
    else update.bind_bytes(1, entry.before.bytes());
    update.bind_int64(2, key);
    if (now) update.bind_bytes(3, *now);
    update.execute();
    const std::int64_t changed = update.row_count();
    if (changed == 1) return Restored::restored;
    if (changed > 1)
        raise_database_error(u"The record of " + entry.table + u" could not be put back: its key is not unique.");
    // Changed by someone else between the read and the update.
    const std::optional<StoredBytes> after = read(select, key);
    if (!after) return Restored::missing;
    return holds(*after, entry.before) ? Restored::already : Restored::changed;
}

}  // namespace

std::unique_ptr<RecordRestorer> open_server_record_restorer(std::u16string_view connection_string) {
    return std::make_unique<OdbcRecordRestorer>(connection_string);
}
