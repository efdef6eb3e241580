// The host's database as the data object uses it, whatever database it is on (database_backend.h):
// record sets that read, each on a connection of its own, and write-backs into single media
// records, each one committed and durable, or committed in groups when the hooks ask for it.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "hostapp/db/database_backend.h"
#include "hostapp/db/host_hooks.h"
#include "hostapp/db/records_in_hand.h"
#include "hostapp/db/row_source.h"
#include "hostapp/db/write_back_values.h"

class HostDatabase {
public:
    // hooks: who hears of its write-backs, whether they commit, and whether in groups.
    explicit HostDatabase(std::unique_ptr<DatabaseBackend> backend, HostHooks hooks = {});
    // A group still open is committed first.
    ~HostDatabase();
    HostDatabase(const HostDatabase&) = delete;
    HostDatabase& operator=(const HostDatabase&) = delete;

    const HostHooks& hooks() const { return hooks_; }
    // A table or column name as the database's statements spell it.
    std::u16string name_sql(std::u16string_view name) const { return backend_->name_sql(name); }

    // The rows of a query that only reads, on a connection of its own.
    std::unique_ptr<RowSource> open_rows(std::u16string_view sql) const { return backend_->open_rows(sql); }
    // What the record sets reading this database stand on; they keep it up to date.
    const std::shared_ptr<RecordsInHand>& records_in_hand() const { return in_hand_; }

    // Stores value in field of the one row of a media table whose key_field equals key, as one
    // committed and durable transaction; a key that matches no row, or more than one, writes
    // nothing and raises (with grouping, after committing its group's earlier write-backs), and so
    // does a key that is not exactly the MEDIAID of a record in hand, while a walk over the table
    // stands on one. Text is stored as a blob of its bytes in the ANSI code page. The hooks'
    // write-back journal, if any, is handed the change before the commit. Gives the bytes stored
    // for a text (none for a number or NULL).
    std::vector<std::uint8_t> write_field(std::u16string_view table, std::u16string_view field,
                                          std::u16string_view key_field, const VARIANT& key, const VARIANT& value);

    // With the hooks' grouping (write_back_grouping.h): commits the open group once it is due, and
    // commits it now. Both raise the host's database error when the group could not be committed.
    void commit_if_due();
    void make_durable();

private:
    WriteBackJournal* journal() const;
    // One write-back in the open transaction: the change, exactly one row, and the journal's entry.
    std::vector<std::uint8_t> write_one(const WriteBackRequest& request);
    std::vector<std::uint8_t> write_in_group(const WriteBackRequest& request);
    void commit_group();
    // The open group was rolled back by the database or given up: its write-backs are not written.
    [[noreturn]] void group_lost(const std::u16string& why);

    std::unique_ptr<DatabaseBackend> backend_;
    HostHooks hooks_;
    std::shared_ptr<RecordsInHand> in_hand_;
    // The open group of write-backs, when they are grouped.
    WriteBackGrouping* grouping_ = nullptr;
    std::size_t group_size_ = 0;  // 0: no group open
    std::chrono::steady_clock::time_point group_began_;
};
