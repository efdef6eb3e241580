// pathmender runs and undo, through the program: undo puts back the exact bytes of every record a
// run wrote, leaves alone a record changed since, changes nothing when run again, and finishes
// what a killed undo (after a killed run) began.
#include <chrono>
#include <fstream>
#include <csignal>
#include <random>
#include <thread>

#include "com/utf.h"
#include "e2e/support/child_program.h"
#include "e2e/support/program_fixture.h"
#include "e2e/support/record_check.h"
#include "hostapp/db/media_tables.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class Undo : public ProgramFixture {
protected:
    ChildResult undo(const std::vector<std::string>& more = {}) const {
        std::vector<std::string> arguments{"undo", "--db", database_file.string()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return run(arguments);
    }
};

TEST_F(Undo, RestoresExactBytesSkipsAnEditedRecordAndIsIdempotent) {
    const Records original = relinkable_records(4);
    // A run the page refuses is no run: it leaves no journal behind.
    ASSERT_EQ(update("OldServer").status, kRefused);
    EXPECT_FALSE(std::filesystem::exists(database_file.string() + ".pathmender-journal"));
    ASSERT_EQ(update("\\\\OldServer").status, 0);
    const Records relinked = records();
    const std::vector<std::uint8_t> edited{'e', 'd', 'i', 't', 'e', 'd'};
    database().connection().execute("UPDATE EA7EDUCATIONRECOMMENDATIONMEDIA SET Object = x'656469746564'");

    ChildResult runs = run({"runs", "--db", database_file.string()});
    EXPECT_TRUE(runs.out.starts_with("1 ")) << runs.out;
    EXPECT_NE(runs.out.find("records=5 selected=4 relinked=4 not_found=0 journaled=4 completed"), std::string::npos);

    struct Step {
        std::vector<std::string> more;
        int status;
    } steps[] = {{{}, kSomeNotFound}, {{"--run", "1"}, kSomeNotFound}};
    for (const Step& step : steps) {
        const ChildResult r = undo(step.more);
        EXPECT_EQ(r.status, step.status) << r.err;
        EXPECT_EQ(r.lines(), std::vector<std::string>{
                                 "left alone: EA7EDUCATIONRECOMMENDATIONMEDIA MEDIAID 3: changed since the run"});
        Records now = records();
        for (const auto& [key, bytes] : original) {
            if (key.first == u"EA7EDUCATIONRECOMMENDATIONMEDIA") EXPECT_EQ(now.at(key), edited);
            else EXPECT_EQ(now.at(key), bytes) << utf8(key.first) << " " << key.second;
        }
        EXPECT_NE(relinked, now);
    }
    EXPECT_NE(run({"runs", "--db", database_file.string()}).out.find("; undone "), std::string::npos);
    EXPECT_EQ(undo().status, kNotBroughtUp);  // nothing left that is not undone

    // The journal of this database, given for a copy of it: refused, the copy left alone.
    const auto copy = root / "copy.db";
    database().connection().execute("VACUUM INTO '" + copy.string() + "'");
    const ChildResult other = run({"undo", "--db", copy.string(), "--journal",
                                   database_file.string() + ".pathmender-journal", "--run", "1"});
    EXPECT_EQ(other.status, kNotBroughtUp);
    EXPECT_NE(other.err.find("changed " + database_file.string() + ", not " + copy.string()), std::string::npos)
        << other.err;
}

TEST_F(Undo, AKilledUndoAfterAKilledRunFinishesWhenRunAgain) {
    const Records original = relinkable_records(240);
    const std::uint64_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 random(seed);
    // Killed at a moment between from and to (milliseconds after its start), unless it ended before.
    auto killed_at_random = [&](const std::vector<std::string>& arguments, long from, long to) {
        ChildProgram child(arguments, root);
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<long>(from, to)(random)));
        if (child.poll()) return false;
        child.kill_now();
        return child.wait().signal == SIGKILL;
    };
    auto timed = [&](const std::vector<std::string>& arguments) {
        const auto start = Clock::now();
        ChildProgram(arguments, root).wait();
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    };
    const std::vector<std::string> update_args{"update", "--db", database_file.string(), "--network",
                                               network.string(), "--previous", "\\\\OldServer"},
        undo_args{"undo", "--db", database_file.string(), "--run", "1"};

    // A whole run and a whole undo, timed, so that the kills below land within them.
    const auto whole_run = timed(update_args);
    const auto whole_undo = timed(undo_args);
    ASSERT_EQ(records(), original);

    // Run 2, killed in the middle of its write-backs, then its undo (of a third to two thirds of
    // the records) killed early on, three times over. The killed run leaves no report.
    std::vector<std::string> reported = update_args;
    reported.insert(reported.end(), {"--report", (root / "run.csv").string()});
    const bool run_killed = killed_at_random(reported, whole_run.count() / 3, whole_run.count() * 2 / 3);
    EXPECT_EQ(fs::exists(root / "run.csv"), !run_killed);
    EXPECT_TRUE(run({"runs", "--db", database_file.string()}).out.starts_with("2 "));
    int kills = 0;
    for (int round = 0; round < 3; ++round)
        kills += killed_at_random({"undo", "--db", database_file.string(), "--run", "2"}, 0, whole_undo.count() / 4);
    const ChildResult last = undo({"--run", "2"});
    EXPECT_EQ(last.status, 0) << last.err;
    EXPECT_EQ(last.lines(), std::vector<std::string>{});
    EXPECT_EQ(records(), original);
    SqliteConnection check = SqliteConnection::open_file(database_file, false);
    EXPECT_EQ(integrity_check(check), "ok");
    std::printf("undo: seed %llu, whole run %lld ms, whole undo %lld ms, %d undos killed\n",
                static_cast<unsigned long long>(seed), static_cast<long long>(whole_run.count()),
                static_cast<long long>(whole_undo.count()), kills);
}

TEST_F(Undo, AJournalOrReportThatCannotBeWrittenStopsTheRunBeforeItStarts) {
    const Records original = relinkable_records(1);
    fs::create_directories(root / "folder");
    const std::string missing = (root / "missing" / "r.csv").string();
    const std::string db = database_file.string(), journal = db + ".pathmender-journal";
    const std::string other_spelling = (root / "folder" / ".." / database_file.filename()).string();
    fs::create_hard_link(database_file, root / "alias.db");
    const std::string hard_link = (root / "alias.db").string();
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* says;
    } cases[] = {
        {{"update", "--journal", (root / "folder").string()}, kNotBroughtUp, "the undo journal cannot be kept"},
        // Outputs that would replace the database, its files, the journal or each other.
        {{"update", "--journal", db}, kRefused, "would replace the database"},
        {{"update", "--journal", db + "-wal"}, kRefused, "would replace the database's file"},
        {{"update", "--report", db}, kRefused, "would replace the database"},
        {{"update", "--report", other_spelling, "--dry-run"}, kRefused, "would replace the database"},
        {{"update", "--report", hard_link}, kRefused, "would replace the database"},
        {{"update", "--report", db + "-shm"}, kRefused, "would replace the database's file"},
        {{"update", "--report", db + "-journal", "--no-journal"}, kRefused, "would replace the database's file"},
        {{"update", "--report", journal, "--dry-run"}, kRefused, "would replace the undo journal"},
        {{"update", "--report", journal + "-wal"}, kRefused, "would replace the undo journal's file"},
        {{"update", "--report", "j.db", "--journal", "j.db"}, kRefused, "would replace the undo journal"},
        {{"update", "--report", missing}, kNotBroughtUp, "the report"},
        {{"update", "--report", (root / "folder").string()}, kNotBroughtUp, "cannot be written: it is a folder"},
        {{"update", "--journal", "j", "--no-journal"}, kRefused, "excludes"},
        {{"runs"}, kNotBroughtUp, "does not exist"},
        {{"undo"}, kNotBroughtUp, "does not exist"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.begin() + 1, {"--db", database_file.string()});
        if (arguments[0] == "update")
            arguments.insert(arguments.end(), {"--network", network.string(), "--previous", "\\\\OldServer"});
        const ChildResult r = run(arguments);
        EXPECT_EQ(r.status, c.status) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_EQ(records(), original);
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_FALSE(fs::exists("j.db"));
}

TEST_F(Undo, TakesTheNewestRunThatChangedRecordsAndSaysWhich) {
    const Records original = relinkable_records(3);
    ASSERT_EQ(update(R"(\\OldServer)").status, 0);
    ASSERT_EQ(update(R"(\\OldServer)").status, 0);  // nothing left to re-link: a run that wrote nothing
    ASSERT_NE(records(), original);
    EXPECT_EQ(undo({"--run", "0"}).status, kRefused);
    const ChildResult r = undo();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("undo: run 1 of "), std::string::npos) << r.err;
    EXPECT_EQ(records(), original);
}

TEST_F(Undo, ADamagedJournalIsNamedWhenItCannotBeRead) {
    relinkable_records(1);
    ASSERT_EQ(update(R"(\\OldServer)").status, 0);
    const fs::path journal = database_file.string() + ".pathmender-journal";
    {
        // Every page after the first overwritten: the runs table cannot be read any more.
        std::fstream file(journal, std::ios::in | std::ios::out | std::ios::binary);
        const auto size = fs::file_size(journal);
        file.seekp(4096);
        for (auto at = std::uintmax_t(4096); at < size; ++at) file.put('\x5A');
    }
    const ChildResult r = run({"runs", "--db", database_file.string()});
    EXPECT_EQ(r.status, kNotBroughtUp) << r.err;
    EXPECT_NE(r.err.find(journal.string()), std::string::npos) << r.err;
}

TEST_F(Undo, TheJournalTakesNoMorePermissionThanTheDatabase) {
    relinkable_records(1);
    fs::permissions(database_file, fs::perms::owner_read | fs::perms::owner_write);
    const ChildResult r = update("\\\\OldServer");
    ASSERT_EQ(r.status, 0) << r.err;
    const fs::path journal = database_file.string() + ".pathmender-journal";
    ASSERT_TRUE(fs::exists(journal));
    for (const fs::path& file : {journal, fs::path(journal.string() + "-wal"), fs::path(journal.string() + "-shm")}) {
        if (!fs::exists(file)) continue;
        EXPECT_EQ(fs::status(file).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none)
            << file;
    }
}

}  // namespace
