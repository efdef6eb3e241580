// The undo journal of one update run: the run is entered before the click, the host is set up
// with it as its write-back journal, and the run is closed with its counts and how it ended.
#pragma once

#include <filesystem>
#include <vector>

#include "app/run_account.h"
#include "app/update_outcome.h"
#include "hostapp/db/undo_journal.h"

class JournaledRun {
public:
    // Opens (or makes) the journal in file, holds it for the run and enters the run. Raises the
    // host's database error, or JournalInUse when another program holds the journal.
    JournaledRun(const std::filesystem::path& file, const RunStart& start);
    // A run that never ended and wrote nothing is forgotten.
    ~JournaledRun();
    JournaledRun(const JournaledRun&) = delete;
    JournaledRun& operator=(const JournaledRun&) = delete;

    std::int64_t id() const { return id_; }
    // For the host's hooks: every write-back of the run, before it commits.
    WriteBackJournal* write_backs() { return &journal_; }
    // The run is over; a run the page refused to start is forgotten.
    void end(const RunCounts& counts, UpdateEnd end, const std::vector<PageMessage>& messages);

private:
    // Removes a journal this run made and left without any run (a run the page refused), once the
    // journal is closed: declared first, so it goes after the journal.
    struct RemoveIfUnused {
        std::filesystem::path file;
        bool armed = false;
        ~RemoveIfUnused();
    } unused_;
    UndoJournal journal_;
    std::int64_t id_ = 0;
};
