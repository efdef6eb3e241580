// The one way a program learns of what the host does for a page, and has a say in it: the hooks
// it hands the host when it sets it up. The host passes them to the database and the record sets
// it makes; nothing is installed process-wide.
#pragma once

#include <atomic>

#include "hostapp/db/run_watcher.h"
#include "hostapp/db/write_back_grouping.h"
#include "hostapp/db/write_back_journal.h"

// What a write-back ends with.
enum class WriteBacks {
    commit,     // each one is committed and durable
    // A preview: each one does everything up to the commit (the row exists, the new bytes are
    // complete, the update changed exactly one row) and is then rolled back. The file is left
    // in its journal mode and its rollback journal is kept in memory, so nothing of the file
    // changes and nothing is left beside it.
    roll_back,
};

struct HostHooks {
    RunWatcher* watcher = nullptr;        // told of records handed out and written back
    WriteBackJournal* journal = nullptr;  // handed every write-back before it commits (never in a preview)
    WriteBacks write_backs = WriteBacks::commit;
    // Set (by a signal handler, say) when the program wants the run to end: the host then fails the
    // page's next step through a record set and its next write-back, so that the page's own error
    // path ends the run.
    const std::atomic<bool>* interrupted = nullptr;
    // Write-backs committed in groups (never in a preview); none: each one commits on its own.
    WriteBackGrouping* grouping = nullptr;
};

// Raises the host's database error "The update was interrupted" once interrupted is set.
void fail_if_interrupted(const std::atomic<bool>* interrupted);
