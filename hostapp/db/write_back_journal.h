// A journal of write-backs, kept by a program that wants to take a run back: the host hands it
// every write-back inside its transaction, after the record changed and before the commit, so an
// entry is made (and durable, if the journal makes it so) before the change is. Nothing is
// journaled unless the program set up the host with a journal (host_hooks.h); the page knows
// nothing of it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "hostapp/db/sqlite_value.h"

// One write-back, not yet committed. The references are valid during the call only.
struct WriteBackSeen {
    std::u16string_view table;       // the media table, as the host spells it
    std::u16string_view column;      // the column written, as the caller named it
    std::u16string_view key_column;  // the column the record was found by
    const SqliteValue& key;          // the record's key as stored
    const SqliteValue& before;       // the column's value before the write-back
    std::span<const std::uint8_t> written;  // the column's bytes after it, as stored
};

class WriteBackJournal {
public:
    virtual ~WriteBackJournal() = default;
    // Keeps the entry. Raising the host's database error makes the write-back fail unwritten.
    virtual void record(const WriteBackSeen& write_back) = 0;

    // Write-backs committed as a group: the entries recorded between the two calls are made
    // durable together, before the group's records commit; an abandoned group keeps none of them.
    virtual void begin_group() {}
    virtual void commit_group() {}
    virtual void abandon_group() {}
};
