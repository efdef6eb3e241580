// Every way a run ends other than by itself: a signal, another run holding the database's journal,
// a journal that cannot record the end, an undo stopped part way, a database moved with its journal.
// Each leaves the database, the journal and the report as the program says.
#include <chrono>
#include <csignal>
#include <thread>

#include "com/error.h"
#include "com/utf.h"
#include "e2e/support/child_program.h"
#include "e2e/support/program_fixture.h"
#include "e2e/support/record_check.h"
#include "hostapp/db/undo_journal.h"
#include "platform/ole/ole_object.h"
#include "support/files.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kRecords = 600;

class RunEndings : public ProgramFixture {
protected:
    // The write-backs journaled so far for run; 0 while the journal is not made yet.
    std::int64_t journaled(int run) const {
        try {
            SqliteConnection journal = SqliteConnection::open_file(journal_file(), false);
            SqliteStatement count = journal.prepare("SELECT count(*) FROM write_backs WHERE run = " + std::to_string(run));
            return count.step() ? count.column_int64(0) : 0;
        } catch (const ComError&) {
            return 0;
        }
    }
    // A child update, run number run, that has journaled its first write-backs; none when it ended first.
    std::unique_ptr<ChildProgram> update_under_way(int run, const std::vector<std::string>& more = {}) {
        auto child = std::make_unique<ChildProgram>(update_arguments("\\\\OldServer", more), root, in_temp());
        while (journaled(run) < 3) {
            if (child->poll()) return nullptr;
            std::this_thread::sleep_for(1ms);
        }
        return child;
    }
    std::string runs_listing() const { return run({"runs", "--db", database_file.string()}).out; }
    // The records as a whole run leaves them, from a run on a copy.
    Records fully_relinked() {
        const fs::path copy = root / "copy.db";
        database().connection().execute("VACUUM INTO '" + copy.string() + "'");
        EXPECT_EQ(run(update_arguments("\\\\OldServer", {"--no-journal"}, copy), in_temp()).status, 0);
        SqliteConnection connection = SqliteConnection::open_file(copy, false);
        return read_all_records(connection);
    }
    // Every record is as it was or re-linked where a whole run re-links it.
    void expect_old_or_relinked(const Records& original, const Records& relinked) {
        for (const auto& [key, now] : records()) {
            if (now == original.at(key)) continue;
            std::size_t consumed = 0;
            const auto whole_run = pathmender::ole::read_ole_object(*relinked.at(key), consumed);
            EXPECT_TRUE(relinked_copy(*original.at(key), *now, pathmender::ole::source_doc(whole_run)))
                << utf8(key.first) << " " << key.second;
        }
    }
};

std::size_t count_of(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST_F(RunEndings, ASignalEndsTheRunCleanlyAndASecondEndsItAtOnce) {
    database().connection().execute("PRAGMA journal_mode = DELETE");
    const Records original = relinkable_records(kRecords), relinked = fully_relinked();
    struct Case {
        const char* name;
        std::vector<int> signals;
        bool clean;  // else ended by the last signal
    } cases[] = {
        {"SIGINT", {SIGINT}, true},
        {"SIGTERM", {SIGTERM}, true},
        {"SIGINT then SIGTERM", {SIGINT, SIGTERM}, false},
    };
    int run_id = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++run_id;
        const fs::path report = root / ("run" + std::to_string(run_id) + ".csv");
        // Each case starts again from the original records.
        if (run_id > 1) {
            ASSERT_EQ(run({"undo", "--db", database_file.string(), "--run", std::to_string(run_id - 1)}).status, 0);
        }
        auto child = update_under_way(run_id, {"--report", report.string()});
        ASSERT_TRUE(child) << "the run ended before it could be interrupted";
        for (int signal : c.signals) ::kill(child->pid(), signal);
        const ChildResult r = child->wait();
        const std::string listing = runs_listing();
        if (!c.clean) {
            EXPECT_FALSE(r.exited);
            EXPECT_EQ(r.signal, c.signals.back());
            const std::string line = listing.substr(0, listing.find('\n'));
            EXPECT_TRUE(line.starts_with(std::to_string(run_id) + " ")) << listing;
            EXPECT_NE(line.find("(did not end)"), std::string::npos) << line;
            EXPECT_EQ(line.find("records="), std::string::npos) << "a killed run's counts are not known";
            EXPECT_NE(line.find("journaled="), std::string::npos) << line;
            expect_old_or_relinked(original, relinked);
            continue;
        }
        ASSERT_TRUE(r.exited) << "signal " << r.signal;
        EXPECT_EQ(r.status, kRunError) << r.err;
        EXPECT_NE(r.out.find("The update was interrupted"), std::string::npos) << r.out;
        EXPECT_NE(r.err.find("summary: records="), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
        // The journal ended the run with its real counts: every write-back it journaled was a re-link.
        const std::string line = listing.substr(0, listing.find('\n'));
        EXPECT_TRUE(line.starts_with(std::to_string(run_id) + " ")) << listing;
        EXPECT_NE(line.find("stopped: "), std::string::npos) << line;
        const long relinked_count = std::stol(line.substr(line.find("relinked=") + 9));
        EXPECT_EQ(relinked_count, std::stol(line.substr(line.find("journaled=") + 10))) << line;
        EXPECT_GT(relinked_count, 0) << line;
        // The report accounts for every record; the database is back in its journal mode, with
        // nothing beside it; no temporary file is left.
        ASSERT_TRUE(fs::exists(report));
        const std::string rows = read_text(report);
        EXPECT_EQ(count_of(rows, "\r\n"), std::size_t(kRecords + 2)) << "a header and every record";
        EXPECT_EQ(count_of(rows, ",error,"), 1u);
        EXPECT_GT(count_of(rows, ",not-reached,"), 0u);
        SqliteStatement mode = database().connection().prepare("PRAGMA journal_mode");
        ASSERT_TRUE(mode.step());
        const auto mode_name = mode.column_bytes(0);
        EXPECT_EQ(std::string(mode_name.begin(), mode_name.end()), "delete");
        EXPECT_FALSE(fs::exists(database_file.string() + "-wal"));
        EXPECT_EQ(folder_entries(temp), std::vector<std::string>{});
        SqliteConnection check = SqliteConnection::open_file(database_file, false);
        EXPECT_EQ(integrity_check(check), "ok");
        expect_old_or_relinked(original, relinked);
    }
}

TEST_F(RunEndings, OneRunAtATimeHoldsTheJournalAndRunsTellsALiveRunFromAKilledOne) {
    const Records original = relinkable_records(3);
    {
        UndoJournal live(journal_file(), true, database_file);
        live.hold("update");
        live.begin_run({database_file, u"\\\\OldServer", u"Z:", false});
        const std::string holder = "update run 1 (process " + std::to_string(::getpid()) + ") since ";
        for (const std::vector<std::string>& more : {std::vector<std::string>{}, {"--dry-run"}, {"--no-journal"}}) {
            const ChildResult r = update("\\\\OldServer", more);
            EXPECT_EQ(r.status, kNotBroughtUp) << r.err;
            EXPECT_NE(r.err.find("is in use: " + holder), std::string::npos) << r.err;
        }
        const ChildResult undo = run({"undo", "--db", database_file.string(), "--run", "1"});
        EXPECT_EQ(undo.status, kNotBroughtUp);
        EXPECT_NE(undo.err.find("is in use: " + holder), std::string::npos) << undo.err;
        const std::string listing = runs_listing();
        EXPECT_NE(listing.find("(running, process " + std::to_string(::getpid()) + ")"), std::string::npos) << listing;
        EXPECT_NE(listing.find(" running"), std::string::npos) << listing;
        EXPECT_EQ(records(), original);
    }
    // Its program gone, the run that did not end is a killed one, and the journal is free again.
    const std::string listing = runs_listing();
    EXPECT_NE(listing.find("(did not end)"), std::string::npos) << listing;
    EXPECT_NE(listing.find("killed or crashed"), std::string::npos) << listing;
    EXPECT_EQ(update("\\\\OldServer").status, 0);
    EXPECT_NE(records(), original);
}

TEST_F(RunEndings, AJournalThatCannotRecordTheEndEndsTheRunWithItsSummaryAndReport) {
    relinkable_records(3);
    {
        UndoJournal made(journal_file(), true, database_file);
    }
    SqliteConnection journal = SqliteConnection::open_file(journal_file(), false);
    journal.execute("CREATE TRIGGER no_room BEFORE UPDATE OF ended ON runs "
                    "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
    const fs::path report = root / "r.csv";
    const ChildResult r = update("\\\\OldServer", {"--report", report.string()});
    EXPECT_EQ(r.status, kRunError) << r.err;
    EXPECT_NE(r.err.find("the undo journal could not record how the run ended: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("database or disk is full"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("summary: records=4 selected=3 relinked=3"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(report));
}

TEST_F(RunEndings, AnUndoStoppedPartWaySaysHowFarAndFinishesWhenRunAgain) {
    const Records original = relinkable_records(5);
    ASSERT_EQ(update("\\\\OldServer").status, 0);
    // The third record undo puts back (the journal's newest first) cannot be written.
    database().connection().execute("CREATE TRIGGER held BEFORE UPDATE ON EA7EDUCATIONRECOMMENDATIONMEDIA "
                                    "BEGIN SELECT RAISE(ABORT, 'held by a test'); END");
    const ChildResult stopped = run({"undo", "--db", database_file.string()});
    EXPECT_EQ(stopped.status, kRunError) << stopped.err;
    EXPECT_NE(stopped.err.find("stopped part way"), std::string::npos) << stopped.err;
    EXPECT_NE(stopped.err.find("held by a test"), std::string::npos) << stopped.err;
    EXPECT_NE(stopped.err.find("after restored=2 already=0 left_alone=0; run undo again"), std::string::npos)
        << stopped.err;
    EXPECT_EQ(runs_listing().find("; undone "), std::string::npos);
    database().connection().execute("DROP TRIGGER held");
    const ChildResult finished = run({"undo", "--db", database_file.string()});
    EXPECT_EQ(finished.status, 0) << finished.err;
    EXPECT_NE(finished.err.find("restored=3 already=2"), std::string::npos) << finished.err;
    EXPECT_EQ(records(), original);
}

TEST_F(RunEndings, ADatabaseMovedWithItsJournalIsUndoneWhenTheUserSaysItIsTheSame) {
    database().connection().execute("PRAGMA journal_mode = DELETE");
    const Records original = relinkable_records(2);
    ASSERT_EQ(update("\\\\OldServer").status, 0);
    const Records relinked = records();
    const fs::path moved = root / "moved";
    fs::create_directories(moved);
    fs::rename(database_file, moved / "host.db");
    fs::rename(journal_file(), moved / "host.db.pathmender-journal");
    const std::string db = (moved / "host.db").string();
    const ChildResult refused = run({"undo", "--db", db});
    EXPECT_EQ(refused.status, kNotBroughtUp);
    EXPECT_NE(refused.err.find("--same-database"), std::string::npos) << refused.err;
    const ChildResult undone = run({"undo", "--db", db, "--same-database"});
    EXPECT_EQ(undone.status, 0) << undone.err;
    SqliteConnection check = SqliteConnection::open_file(db, false);
    EXPECT_EQ(read_all_records(check), original);
    EXPECT_NE(relinked, original);
}

}  // namespace
