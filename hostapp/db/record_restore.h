// Puts records of the host database back as a journaled write-back found them, each in its own
// committed and synced transaction, and only where the record still holds what was written.
#pragma once

#include <memory>

#include "hostapp/db/database_location.h"
#include "hostapp/db/undo_journal.h"

enum class Restored {
    restored,  // it held what the write-back wrote, and holds its value from before again
    already,   // it holds its value from before already (an earlier undo, or a write-back never committed)
    changed,   // it holds something else: changed since; left alone
    missing,   // there is no such record any more; nothing done
};

class RecordRestorer {
public:
    virtual ~RecordRestorer() = default;
    virtual Restored restore(const JournalEntry& entry) = 0;
};

// On an existing host database (see check_host_database); a file stays in its own journal mode.
std::unique_ptr<RecordRestorer> open_record_restorer(const DatabaseLocation& database, int busy_timeout_ms);
