// The host database file as the data object uses it: one connection that writes, and a fresh
// read-only connection for every record set that reads.
//
// The file runs in write-ahead-log mode. A reading record set keeps one snapshot from its first
// row to its close, so write-backs never disturb a walk; the writer commits each write-back (or,
// when the hooks group them, each group) on its own connection, even while a walk over the same
// table is still open (in a single connection an update made while a select is stepping would not
// commit until the select ends).
#pragma once

#include <chrono>
#include <filesystem>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/variant.h"
#include "hostapp/db/host_hooks.h"
#include "hostapp/db/records_in_hand.h"
#include "hostapp/db/sqlite_connection.h"

class HostDatabase {
public:
    // Opens the writer on an existing database file (a missing, empty or foreign file is refused,
    // never made into a database) and, when write-backs commit, switches it to write-ahead
    // logging while it is open; a file that cannot be written is still opened, for reading.
    // hooks: who hears of its write-backs, and whether they commit.
    HostDatabase(std::filesystem::path file, int busy_timeout_ms, HostHooks hooks = {});
    // Gives the file back in the journal mode it was found in.
    ~HostDatabase();
    HostDatabase(const HostDatabase&) = delete;
    HostDatabase& operator=(const HostDatabase&) = delete;

    const std::filesystem::path& file() const { return file_; }
    const HostHooks& hooks() const { return hooks_; }

    // A read-only connection of its own for one record set.
    SqliteConnection open_reader() const;
    // What the record sets reading this database stand on; they keep it up to date.
    const std::shared_ptr<RecordsInHand>& records_in_hand() const { return in_hand_; }

    // Stores value in field of the one row of a media table whose key_field equals key, as one
    // committed and durable transaction; a key that matches no row, or more than one, writes
    // nothing and raises (with grouping, after committing its group's earlier write-backs), and so
    // does a key that is not exactly the MEDIAID of a record in hand,
    // while a walk over the table stands on one. Text is stored as a blob of its bytes in the ANSI code page. The hooks'
    // write-back journal, if any, is handed the change before the commit. Gives the
    // bytes stored for a text (none for a number or NULL).
    std::vector<std::uint8_t> write_field(std::u16string_view table, std::u16string_view field,
                                          std::u16string_view key_field, const VARIANT& key, const VARIANT& value);

    // With the hooks' grouping (write_back_grouping.h): commits the open group once it is due, and
    // commits it now. Both raise the host's database error when the group could not be committed.
    void commit_if_due();
    void make_durable();

private:
    // Finalizes the kept statements, which would hold the journal mode from changing.
    void update_statements_go_first();
    WriteBackJournal* journal() const;
    SqliteStatement& kept_statement(const std::string& sql);
    void commit_group();
    // The open group was rolled back by SQLite or given up: its write-backs are not written.
    [[noreturn]] void group_lost(const std::u16string& why);

    std::filesystem::path file_;
    int busy_timeout_ms_;
    HostHooks hooks_;
    SqliteConnection writer_;
    bool restores_journal_mode_ = false;
    // Prepared once and reused: a run writes back thousands of records into the same few tables.
    SqliteStatement begin_, commit_, rollback_;
    std::map<std::string, SqliteStatement> updates_;
    std::shared_ptr<RecordsInHand> in_hand_ = std::make_shared<RecordsInHand>();
    // The open group of write-backs, when they are grouped.
    WriteBackGrouping* grouping_ = nullptr;
    SqliteStatement savepoint_, release_;
    std::size_t group_size_ = 0;  // 0: no group open
    std::chrono::steady_clock::time_point group_began_;
};

// A record's key as the host names it in a message: the value's text, "?" for none it can give.
std::u16string key_text(const VARIANT& key);

// Raises the host's database error, saying what is wrong, unless file is a host database: an
// SQLite file that holds the eleven media tables.
void check_host_database_file(const std::filesystem::path& file);

// The records of the eleven media tables of a host database file, counted on a connection of its own.
std::int64_t count_media_records(const std::filesystem::path& file, int busy_timeout_ms);

// Settings every host connection shares: double-quoted names are names, never text.
void configure_host_connection(const SqliteConnection& connection);
