// The undo journal: an SQLite file of its own (by default beside the host database, named
// <database>.pathmender-journal) that keeps, for every run of the host program, what the run was
// and, for every write-back, the record's place, its value before and a SHA-256 of the value
// written. Each entry is committed and synced before the host commits the write-back it
// describes, so whatever a crash leaves, every changed record has its entry.
//
//   runs        id (the run's number), database, started, ended, previous_server, drive, exact,
//               records, selected, relinked, not_found, outcome, undone, undo_outcome
//   write_backs id (in the order written), run, table_name, column_name, key_column, key,
//               before (both as stored: storage class and bytes), written_sha256
//
//   holder      the one program that holds the journal for a run (update or undo) while it lasts:
//               command, run, since, process
//
// A run that did not end (the program was killed) has no end time and no outcome. A program holds
// the journal with a lock on the file that the system lets go of when the program ends however it
// ends, so a holder row left by a killed program is not taken for a live one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "hostapp/db/journal_hold.h"
#include "hostapp/db/sha256.h"
#include "hostapp/db/sqlite_connection.h"
#include "hostapp/db/write_back_journal.h"

struct RunStart {
    std::string database;  // the database's identity (DatabaseLocation::identity)
    std::u16string previous_server;  // as typed
    std::u16string drive;            // the local name of the drive searched
    bool exact = false;
};

struct RunTally {
    std::int64_t records = 0, selected = 0, relinked = 0, not_found = 0;
};

struct JournalRun {
    std::int64_t id = 0;
    std::string database, started, ended;  // ended empty: the run did not end
    std::string previous_server, drive;
    bool exact = false;
    RunTally counts;
    std::int64_t write_backs = 0;   // entries journaled
    std::string outcome;            // how it ended; empty when it did not
    std::string undone;             // when an undo of it went through; empty if never
    std::string undo_outcome;
};

// One write-back of a run, as journaled.
struct JournalEntry {
    std::int64_t id = 0;
    std::u16string table, column, key_column;
    SqliteValue key, before;
    Sha256 written{};
};

// Who holds a journal for a run.
struct JournalHolder {
    std::string command;   // update or undo
    std::int64_t run = 0;  // the run made, or undone; 0 before it is known
    std::string since;
    std::int64_t process = 0;
};

// A journal another program holds for a run; what() names it, and the holder when known.
class JournalInUse : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class UndoJournal final : public WriteBackJournal {
public:
    // <database>.pathmender-journal
    static std::filesystem::path beside(const std::filesystem::path& database);

    // Opens the journal in file; a missing file is made when create says so, and refused otherwise.
    // An existing file that is not such a journal is refused, never changed. A file made here
    // takes no more permission than like_file has (the database: the journal holds copies of its
    // objects), and SQLite gives its own files beside it the same.
    UndoJournal(std::filesystem::path file, bool create, const std::filesystem::path& like_file = {});
    // A hold is let go of.
    ~UndoJournal() override;
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;

    // Raises JournalInUse when another program holds the journal in file; a missing file is held by none.
    static void check_not_held(const std::filesystem::path& file);

    // Holds the journal for this program's run (command: update or undo) until it is closed.
    // Raises JournalInUse at once when another program holds it. Held already, it names run.
    void hold(std::string_view command, std::int64_t run = 0);
    // The program that holds the journal now (this one included); none when no live program does.
    std::optional<JournalHolder> live_holder();

    const std::filesystem::path& file() const { return file_; }
    // Whether this opening made the file, and whether it holds any run now.
    bool made_here() const { return made_here_; }
    bool holds_runs();

    // Starts a run (durable at once) and makes it the one write-backs are journaled for; a hold
    // names it.
    std::int64_t begin_run(const RunStart& start);
    // Ends the current run with its counts and how it ended.
    void end_run(const RunTally& counts, std::string_view outcome);
    // Forgets the current run, which wrote nothing (the page refused the input).
    void discard_run();

    // An entry of the current run, synced before it returns; in a group, when the group commits.
    void record(const WriteBackSeen& write_back) override;
    void begin_group() override;
    void commit_group() override;
    void abandon_group() override;

    // Every run, the newest first.
    std::vector<JournalRun> runs();
    std::optional<JournalRun> run(std::int64_t id);
    // The run's write-backs, the last first, one at a time.
    void each_write_back(std::int64_t run, const std::function<void(const JournalEntry&)>& visit);
    // Records that an undo of run went through to its end.
    void mark_undone(std::int64_t run, std::string_view outcome);

private:
    std::optional<JournalHolder> recorded_holder();

    // A handle of the journal's file of its own, for the hold. Opened before the connection and
    // closed after it: closing a descriptor of a file lets go of every record lock the process has
    // on it, and SQLite's locks are such.

    std::filesystem::path file_;
    bool made_here_ = false;  // set while connection_ is opened, so declared before it
    JournalHoldFile hold_;    // likewise
    bool holding_ = false;
    SqliteConnection connection_;
    std::int64_t current_run_ = 0;
    SqliteStatement insert_;
};

