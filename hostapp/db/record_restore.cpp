#include "hostapp/db/record_restore.h"

#include <sqlite3.h>

#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/sqlite_host_file.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/db/odbc_record_restore.h"

namespace {

std::string column_sql(const std::u16string& name) {
    for (char16_t c : name)
        if (c < 0x20) raise_database_error(u"The column name \"" + name + u"\" is not valid.");
    if (name.empty()) raise_database_error(u"A column name is missing.");
    return quote_identifier(utf8(name));
}

// Ends the open transaction with a rollback unless it was committed.
class Transaction {
public:
    explicit Transaction(SqliteConnection& connection) : connection_(connection) {
        connection_.execute("BEGIN IMMEDIATE");
    }
    ~Transaction() {
        if (!sqlite3_get_autocommit(connection_.handle()))
            sqlite3_exec(connection_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void commit() { connection_.execute("COMMIT"); }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    SqliteConnection& connection_;
};

class SqliteRecordRestorer final : public RecordRestorer {
public:
    SqliteRecordRestorer(const std::filesystem::path& database, int busy_timeout_ms)
        : connection_(SqliteConnection::open_host_view(database, busy_timeout_ms)) {
        configure_host_connection(connection_);
        connection_.execute("PRAGMA dbo.synchronous = FULL");
    }
    Restored restore(const JournalEntry& entry) override;

private:
    SqliteConnection connection_;
};

}  // namespace

std::unique_ptr<RecordRestorer> open_record_restorer(const DatabaseLocation& database, int busy_timeout_ms) {
    if (database.is_on_server()) return open_server_record_restorer(database.connection);
    return std::make_unique<SqliteRecordRestorer>(database.file, busy_timeout_ms);
}

Restored SqliteRecordRestorer::restore(const JournalEntry& entry) {
    const std::optional<std::u16string_view> table = find_media_table(entry.table);
    if (!table) raise_database_error(u"\"" + entry.table + u"\" is not a media table of the host database.");
    const std::string table_sql = "dbo." + quote_identifier(utf8(*table));
    const std::string where = " WHERE " + column_sql(entry.key_column) + " = ?1";

    Transaction transaction(connection_);
    SqliteStatement read = connection_.prepare("SELECT " + column_sql(entry.column) + " FROM " + table_sql + where);
    read.bind_value(1, entry.key);
    if (!read.step()) return Restored::missing;
    const SqliteValue now = read.column_value(0);
    read.finalize();
    if (sha256(now.bytes()) != entry.written) return now.same_as(entry.before) ? Restored::already : Restored::changed;

    SqliteStatement update =
        connection_.prepare("UPDATE " + table_sql + " SET " + column_sql(entry.column) + " = ?2" + where);
    update.bind_value(1, entry.key);
    update.bind_value(2, entry.before);
    update.step();
    update.finalize();
    if (sqlite3_changes64(connection_.handle()) != 1)
        raise_database_error(u"The record of " + entry.table + u" could not be put back: its key is not unique.");
    transaction.commit();
    return Restored::restored;
}
