// Puts records of the host database back as a journaled write-back found them, each in its own
// committed and synced transaction, and only where the record still holds what was written.
#pragma once

#include <filesystem>

#include "hostapp/db/sqlite_connection.h"
#include "hostapp/db/undo_journal.h"

enum class Restored {
    restored,  // it held what the write-back wrote, and holds its value from before again
    already,   // it holds its value from before already (an earlier undo, or a write-back never committed)
    changed,   // it holds something else: changed since; left alone
    missing,   // there is no such record any more; nothing done
};

class RecordRestorer {
public:
    // On an existing host database file (see check_host_database_file), in its own journal mode.
    RecordRestorer(const std::filesystem::path& database, int busy_timeout_ms);

    Restored restore(const JournalEntry& entry);

private:
    SqliteConnection connection_;
};
