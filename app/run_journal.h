// The undo journal of the program's runs: opened (or made) and held for as long as the runs
// last, a run entered before its first write-back, the host set up with it as its write-back
// journal, and each run closed with its counts and how it ended.
#pragma once

#include <filesystem>
#include <vector>

#include "app/run_account.h"
#include "app/update_outcome.h"
#include "hostapp/db/undo_journal.h"

class RunJournal {
public:
    // Opens (or makes, as private as database) the journal in file and holds it. Raises the
    // host's database error, or JournalInUse when another program holds the journal.
    RunJournal(const std::filesystem::path& file, const std::filesystem::path& database);
    // A run that never ended and wrote nothing is forgotten; a journal made here that holds no run
    // is removed.
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    void begin(const RunStart& start);
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
};
