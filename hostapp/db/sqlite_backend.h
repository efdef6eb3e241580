// The host database on an SQLite file: one connection that writes, and a fresh read-only
// connection for every record set that reads.
//
// The file runs in write-ahead-log mode. A reading record set keeps one snapshot from its first
// row to its close, so write-backs never disturb a walk; the writer commits each write-back (or
// each group) on its own connection, even while a walk over the same table is still open (in a
// single connection an update made while a select is stepping would not commit until the select
// ends).
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "hostapp/db/database_backend.h"
#include "hostapp/db/host_hooks.h"
#include "hostapp/db/sqlite_connection.h"

class SqliteBackend final : public DatabaseBackend {
public:
    // Opens the writer on an existing database file (a missing, empty or foreign file is refused,
    // never made into a database) and, when write-backs commit, switches it to write-ahead
    // logging while it is open; a file that cannot be written is still opened, for reading. A
    // preview's file is left in its journal mode, its rollback journal kept in memory.
    SqliteBackend(std::filesystem::path file, int busy_timeout_ms, WriteBacks write_backs);
    // Gives the file back in the journal mode it was found in.
    ~SqliteBackend() override;
    SqliteBackend(const SqliteBackend&) = delete;
    SqliteBackend& operator=(const SqliteBackend&) = delete;

    bool writable() const override { return !read_only_; }
    // Quoted: any name without control characters.
    std::u16string name_sql(std::u16string_view name) const override;
    std::unique_ptr<RowSource> open_rows(std::u16string_view sql) const override;

    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    bool in_transaction() const override;
    void savepoint() override;
    void release_savepoint() override;
    void undo_savepoint() noexcept override;
    StoredWriteBack write(const WriteBackRequest& request) override;

private:
    // Finalizes the kept statements, which would hold the journal mode from changing.
    void update_statements_go_first();
    SqliteStatement& kept_statement(const std::string& sql);

    std::filesystem::path file_;
    int busy_timeout_ms_;
    SqliteConnection writer_;
    bool read_only_ = false;
    bool restores_journal_mode_ = false;
    // Prepared once and reused: a run writes back thousands of records into the same few tables.
    SqliteStatement begin_, commit_, rollback_, savepoint_, release_;
    std::map<std::string, SqliteStatement> updates_;
};
