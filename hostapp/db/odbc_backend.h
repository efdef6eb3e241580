// The host database on a server, through ODBC: one connection that writes, in transactions of
// its own, and a connection of its own for every record set that reads (odbc_row_source.h).
//
// Others may change the database while a run goes, so a write-back into a record a walk stands on
// is made only while the record still holds the Object bytes the walk read:
// UPDATE dbo.T SET Object = ? WHERE MEDIAID = ? AND Object = ?. When it no longer does, nothing is
// written and the write-back fails, naming the record.
#pragma once

#include <map>
#include <string>

#include "hostapp/db/database_backend.h"
#include "hostapp/db/odbc_connection.h"

class OdbcBackend final : public DatabaseBackend {
public:
    // Connects the writer to the database connection_string names, and refuses one that lacks a
    // media table.
    explicit OdbcBackend(std::u16string connection_string);
    OdbcBackend(const OdbcBackend&) = delete;
    OdbcBackend& operator=(const OdbcBackend&) = delete;

    bool writable() const override { return true; }
    bool writes_only_over_what_was_read() const override { return true; }
    // Unquoted (odbc_host_database.h).
    std::u16string name_sql(std::u16string_view name) const override;
    std::unique_ptr<RowSource> open_rows(std::u16string_view sql) const override;

    void begin() override;
    void commit() override;
    void rollback() noexcept override;
    bool in_transaction() const override { return in_transaction_; }
    void savepoint() override;
    void release_savepoint() override;
    void undo_savepoint() noexcept override;
    StoredWriteBack write(const WriteBackRequest& request) override;

private:
    OdbcStatement& kept_statement(const std::u16string& sql);

    std::u16string connection_string_;
    // What each record set connects with: the driver asked to stream (odbc_row_source.h).
    std::u16string reader_connection_string_;
    OdbcConnection writer_;
    bool in_transaction_ = false;
    // SQL Server names its savepoints in a dialect of its own.
    bool transact_sql_ = false;
    // Prepared once and reused; they go before the connection.
    std::map<std::u16string, OdbcStatement> statements_;
};
