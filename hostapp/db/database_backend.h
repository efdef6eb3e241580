// What a host database needs of the database it is on: reading connections for record sets, and
// one writing connection with its transactions, savepoints and single-record updates. The host
// database (host_database.h) keeps everything else (which records may be written, the journal,
// grouped commits) the same over every backend.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "hostapp/db/records_in_hand.h"
#include "hostapp/db/row_source.h"
#include "hostapp/db/sqlite_value.h"

// One write-back into one record, made inside the writer's open transaction.
struct WriteBackRequest {
    std::u16string_view table;       // a media table, as the host spells it
    std::u16string_view column;      // the column written, as the caller named it
    std::u16string_view key_column;  // the column the record is found by
    const VARIANT& key;
    const VARIANT& value;
    bool journaled = false;          // the journal wants the key as stored and the value before
    // When given, the write is made only while the column still holds these bytes (the ones the
    // walk standing on the record read); otherwise whatever it holds.
    const ObjectRead* only_over = nullptr;
};

// What a write-back did.
struct StoredWriteBack {
    std::int64_t changed = 0;           // the records the update changed
    std::vector<std::uint8_t> written;  // the bytes stored for a text; none for a number or NULL
    // When journaled: the record's key as stored, the column's value before, and, when no text was
    // written, the column's value as stored after.
    SqliteValue key, before, stored;
};

class DatabaseBackend {
public:
    virtual ~DatabaseBackend() = default;

    // Whether write-backs can be made (a database that cannot be written is still opened, for reading).
    virtual bool writable() const = 0;
    // Whether a write-back into a record a walk stands on is made only while the record still
    // holds the Object bytes the walk read: so on a database that others may change during a run.
    virtual bool writes_only_over_what_was_read() const { return false; }

    // A table or column name as this database's statements spell it; a name it cannot spell
    // raises the host's database error.
    virtual std::u16string name_sql(std::u16string_view name) const = 0;

    // The rows of a query that only reads, on a reading connection of its own.
    virtual std::unique_ptr<RowSource> open_rows(std::u16string_view sql) const = 0;

    // The writer's transaction. begin takes the write lock where the database has one; rollback
    // ends the open transaction, if there is one, and never fails (a transaction it cannot end is
    // ended by the connection's end).
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;
    // False also once the database gave up the transaction on its own.
    virtual bool in_transaction() const = 0;

    // One savepoint inside the transaction, around a single write-back of a group: undo_savepoint
    // takes back what was done since it, and ends it; should that fail, it ends the transaction.
    virtual void savepoint() = 0;
    virtual void release_savepoint() = 0;
    virtual void undo_savepoint() noexcept = 0;

    // Updates the column of the records whose key column holds the key, inside the open
    // transaction; says how many records changed, and what a journal needs of it.
    virtual StoredWriteBack write(const WriteBackRequest& request) = 0;
};
