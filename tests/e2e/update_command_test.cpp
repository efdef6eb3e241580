#include "e2e/support/every_database.h"
#include "e2e/support/program_fixture.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "com/utf.h"
#include "e2e/support/record_check.h"
#include "hostapp/db/sqlite_connection.h"

namespace {

namespace fs = std::filesystem;
using UpdateCommand = ProgramFixture;
// The cases that hold on every database the program reaches.
using UpdateOnEveryDatabase = OnEveryDatabase;
INSTANTIATE_TEST_SUITE_P(Databases, UpdateOnEveryDatabase,
                         testing::Values(DatabaseKind::file, DatabaseKind::postgres, DatabaseKind::sqlite_odbc),
                         database_kind_name);

constexpr char kUpdated[] = "Media links have been updated";
constexpr char kSomeMissing[] = "Media links have been updated.  Some linked media files could not be located.";
constexpr char kNoneUpdated[] = "No media links were updated.";
constexpr char kNoneFound[] = "Unable to locate linked media files.";
constexpr char kInvalidName[] = "Please specify a valid server name (e.g. \\\\MyPreviousServer)";

std::string message(const char* text) { return std::string(kCaption) + text; }

TEST_P(UpdateOnEveryDatabase, EachSummaryMessageAsTheCountsSay) {
    struct Case {
        const char* name;
        bool first_file_there, second_file_there, link_elsewhere;
        const char* summary;
        int status;
        const char* counts;  // of the summary line
        const char* typed = "\\\\OldServer";
    } cases[] = {
        {"all found", true, true, false, kUpdated, 0, "records=3 selected=2 relinked=2 not_found=0"},
        {"some found", true, false, false, kSomeMissing, kSomeNotFound, "records=3 selected=2 relinked=1 not_found=1"},
        {"none found", false, false, false, kNoneFound, kSomeNotFound, "records=3 selected=2 relinked=0 not_found=2"},
        {"nothing selected", false, false, true, kNoneUpdated, 0, "records=3 selected=0 relinked=0 not_found=0"},
        // The page looks for the name as typed; the program says why nothing matches.
        {"a blank after the name", true, true, false, kNoneUpdated, 0, "records=3 selected=0 relinked=0 not_found=0",
         "\\\\OldServer "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const char16_t* server = c.link_elsewhere ? u"\\\\Elsewhere" : u"\\\\OldServer";
        database().insert(u"AP7VENDORMEDIA", 1, link_to(std::u16string(server) + u"\\Media\\a.xls"));
        database().insert(u"PY7EVENTMEDIA", 2, link_to(std::u16string(server) + u"\\Media\\b.xls"));
        database().insert(u"PY7EVENTMEDIA", 3, read_corpus(kEmbeddedPaint));
        if (c.first_file_there) make_network_file("NewServer/Media/a.xls");
        if (c.second_file_there) make_network_file("NewServer/Media/deeper/b.xls");

        ChildResult r = update(c.typed);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.lines(), std::vector<std::string>{message(c.summary)});
        const bool blank = std::string_view(c.typed).ends_with(' ');
        EXPECT_EQ(r.err.find("begins or ends with a blank") != std::string::npos, blank) << r.err;
        // The summary is a line of its own, after the warning (and a server's journal place) if any.
        const std::size_t summary = r.err.find(std::string("summary: ") + c.counts + " elapsed=");
        ASSERT_NE(summary, std::string::npos) << r.err;
        EXPECT_TRUE(summary == 0 || r.err[summary - 1] == '\n') << r.err;
        if (!on_server()) {
            EXPECT_EQ(summary, blank ? r.err.find('\n') + 1 : 0) << r.err;
        }
    }
}

TEST_P(UpdateOnEveryDatabase, RelinkedRecordsPointAtTheNewFileAndKeepTheRest) {
    auto before = link_to(u"\\\\OldServer\\Media\\Photos\\a.xls");
    database().insert(u"EA7FACULTYMEDIA", 7, before);
    make_network_file("NewServer/Media/Photos/a.xls");
    make_network_file("NewServer/Media/Other/a.xls");  // same name elsewhere: the exact path wins

    ChildResult r = update("\\\\oldserver");  // the name test ignores case
    ASSERT_EQ(r.lines(), std::vector<std::string>{message(kUpdated)}) << r.err;

    EXPECT_TRUE(relinked_copy(before, *database().read(u"EA7FACULTYMEDIA", 7), u"\\\\NewServer\\Media\\Photos\\a.xls"));
}

TEST_P(UpdateOnEveryDatabase, EmbeddedObjectsAndOtherServersStayByteIdentical) {
    auto embedded = read_corpus(kEmbeddedPaint);
    auto other = link_to(u"\\\\OldServerTwo\\Media\\a.xls");  // a longer name: not the old server
    auto archive = link_to(u"\\\\Archive\\Media\\a.xls");
    auto headed = read_corpus("access-headed-embedded-pbrush-northwind-categories-1.bin");
    database().insert(u"AP7VENDORMEDIA", 1, embedded);
    database().insert(u"AP7VENDORMEDIA", 2, other);
    database().insert(u"GL7PROJECTMEDIA", 3, archive);
    database().insert(u"GL7PROJECTMEDIA", 4, headed);
    database().insert(u"GL7PROJECTMEDIA", 5, link_to(u"\\\\OLDSERVER\\Media\\a.xls"));
    make_network_file("NewServer/Media/a.xls");

    ChildResult r = update("\\\\OldServer");
    EXPECT_EQ(r.lines(), std::vector<std::string>{message(kUpdated)}) << r.err;
    EXPECT_EQ(*database().read(u"AP7VENDORMEDIA", 1), embedded);
    EXPECT_EQ(*database().read(u"AP7VENDORMEDIA", 2), other);
    EXPECT_EQ(*database().read(u"GL7PROJECTMEDIA", 3), archive);
    EXPECT_EQ(*database().read(u"GL7PROJECTMEDIA", 4), headed);
    EXPECT_EQ(source_doc_of(*database().read(u"GL7PROJECTMEDIA", 5)), u"\\\\NewServer\\Media\\a.xls");
}

TEST_P(UpdateOnEveryDatabase, ABadObjectInALaterTableEndsTheRunAndKeepsEarlierWrites) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    const std::vector<std::uint8_t> garbage{'n', 'o', 't', ' ', 'O', 'L', 'E'};
    database().insert(u"PY7EMPLOYEEMEDIA", 2, garbage);
    auto untouched = link_to(u"\\\\OldServer\\Media\\a.xls");
    database().insert(u"PY7EMPLOYEEMEDIA", 3, untouched);
    database().insert(u"PY7POSITIONSMEDIA", 4, untouched);
    make_network_file("NewServer/Media/a.xls");

    ChildResult r = update("\\\\OldServer");
    EXPECT_EQ(r.status, kRunError);
    EXPECT_EQ(r.lines(), std::vector<std::string>{
                             message("An error occured while trying to update linked media files: Invalid data found")});
    EXPECT_NE(r.err.find("the run stopped at PY7EMPLOYEEMEDIA MEDIAID 2\n"), std::string::npos) << r.err;
    EXPECT_EQ(source_doc_of(*database().read(u"AP7VENDORMEDIA", 1)), u"\\\\NewServer\\Media\\a.xls");
    EXPECT_EQ(*database().read(u"PY7EMPLOYEEMEDIA", 2), garbage);
    EXPECT_EQ(*database().read(u"PY7EMPLOYEEMEDIA", 3), untouched);
    EXPECT_EQ(*database().read(u"PY7POSITIONSMEDIA", 4), untouched);
}

TEST_P(UpdateOnEveryDatabase, ExactModeNeverSearches) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    make_network_file("NewServer/Media/moved/a.xls");
    EXPECT_EQ(update("\\\\OldServer", {"--exact"}).lines(), std::vector<std::string>{message(kNoneFound)});
    EXPECT_EQ(update("\\\\OldServer").lines(), std::vector<std::string>{message(kUpdated)});
    EXPECT_EQ(source_doc_of(*database().read(u"AP7VENDORMEDIA", 1)), u"\\\\NewServer\\Media\\moved\\a.xls");
}

TEST_P(UpdateOnEveryDatabase, ValidationMessagesComeOnceEachAndStopTheRun) {
    auto link = link_to(u"\\\\OldServer\\Media\\a.xls");
    database().insert(u"AP7VENDORMEDIA", 1, link);
    make_network_file("NewServer/Media/a.xls");
    struct Case {
        const char* typed;
        const char* shown;
    } cases[] = {
        {"", "Required field missing: Previous server name"},
        {"   ", "Required field missing: Previous server name"},
        {"OldServer", kInvalidName},
        {" \\\\OldServer", kInvalidName},
        {"\\\\OldServer\\Media", kInvalidName},
        {"\\\\Old:Ser*ver?", kInvalidName},
        {"\\\\", kInvalidName},  // nothing after the pair names no server
    };
    for (const auto& c : cases) {
        ChildResult r = update(c.typed);
        EXPECT_EQ(r.status, kRefused);
        EXPECT_EQ(r.lines(), std::vector<std::string>{message(c.shown)}) << "typed: " << c.typed;
    }
    EXPECT_EQ(*database().read(u"AP7VENDORMEDIA", 1), link);
}

TEST_P(UpdateOnEveryDatabase, NoMediaRecordsAtAllIsSaidFirst) {
    ChildResult r = update("not even valid");
    EXPECT_EQ(r.lines(), std::vector<std::string>{message("No media records exist in the system")});
}

TEST_F(UpdateCommand, WhatCannotRunSaysWhyInOneLineAndExitsWithItsStatus) {
    database().insert(u"AP7VENDORMEDIA", 1, read_corpus(kEmbeddedPaint));
    const fs::path empty = root / "empty.db", text = root / "notes.db", foreign = root / "foreign.db";
    std::ofstream(empty).flush();
    std::ofstream(text) << "not a database, only some text that is long enough to have a header";
    SqliteConnection::open_file(foreign, true).execute("CREATE TABLE Other (a)");
    const fs::path bad_drives = root / "bad-drives.txt", no_drives = root / "no-drives.txt";
    std::ofstream(bad_drives) << "Z: \\\\NewServer\\Media\nZ:\n";
    std::ofstream(no_drives) << "# none\n";
    const std::vector<std::string> db = {"--db", database_file.string()}, net = {"--network", network.string()};
    auto args = [](std::vector<std::string> a, const std::vector<std::string>& b, const std::vector<std::string>& c) {
        a.insert(a.begin(), "update");
        a.insert(a.end(), b.begin(), b.end());
        a.insert(a.end(), c.begin(), c.end());
        a.insert(a.end(), {"--previous", "\\\\A"});
        return a;
    };
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string says;
    } cases[] = {
        {args({"--db", (root / "missing.db").string()}, net, {}), kNotBroughtUp, "does not exist"},
        {args({"--db", root.string()}, net, {}), kNotBroughtUp, "is a folder"},
        {args({"--db", empty.string()}, net, {}), kNotBroughtUp, "is empty"},
        {args({"--db", text.string()}, net, {}), kNotBroughtUp, "is not an SQLite database"},
        {args({"--db", foreign.string()}, net, {}), kNotBroughtUp, "it lacks the media tables AP7VENDORMEDIA, "},
        {args(db, net, {"--drives", bad_drives.string()}), kNotBroughtUp, bad_drives.string() + ", line 2"},
        {args(db, net, {"--drives", no_drives.string()}), kNotBroughtUp, "no mapped network drive"},
        {args(db, {"--network", (root / "nowhere").string()}, {}), kRefused, "no network folder"},
        {args(db, net, {"--drive", "Q:"}), kRefused, "the page lists no drive Q:"},
        {args(db, net, {"--bogus"}), kRefused, "--bogus"},
        {{"update", "--db", database_file.string(), "--network", network.string()}, kRefused, "--previous"},
    };
    for (const auto& c : cases) {
        ChildResult r = run(c.arguments);
        EXPECT_EQ(r.status, c.status) << c.says;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    // Nothing is made a database of.
    EXPECT_EQ(fs::file_size(empty), 0u);
    EXPECT_FALSE(fs::exists(root / "missing.db"));
}

TEST_P(UpdateOnEveryDatabase, APickedDriveIsSearchedAndAnUnregisteredPluginExitsWithOne) {
    write_drives({"Y: \\\\Elsewhere\\Data", "Z: \\\\NewServer\\Media"});
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    make_network_file("NewServer/Media/a.xls");
    EXPECT_EQ(update("\\\\OldServer").lines(), std::vector<std::string>{message(kNoneFound)});
    EXPECT_EQ(update("\\\\OldServer", {"--drive", "z:"}).lines(), std::vector<std::string>{message(kUpdated)});

    ChildOptions unregistered;
    unregistered.environment["PATHMENDER_REGISTRY"] = (root / "empty-registry").string();
    ChildResult r = update("\\\\OldServer", {}, unregistered);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot load"), std::string::npos) << r.err;
}

TEST_F(UpdateCommand, ProgressLinesCountEveryRecordAndTheFileIsLeftInItsJournalMode) {
    database().connection().execute("PRAGMA journal_mode = DELETE");
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    database().insert(u"FAASSETMEDIA", 2, read_corpus(kEmbeddedPaint));
    database().insert(u"PY7POSITIONSMEDIA", 3, read_corpus(kEmbeddedPaint));
    make_network_file("NewServer/Media/a.xls");

    ChildResult r = update("\\\\OldServer", {"--progress"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> progress;
    std::istringstream err(r.err);
    for (std::string line; std::getline(err, line);)
        if (line.starts_with("progress: ")) progress.push_back(line);
    // At least one line at each table's end, and the last one has read them all.
    ASSERT_GE(progress.size(), 11u) << r.err;
    EXPECT_TRUE(progress.back().starts_with("progress: 3/3 records, PY7POSITIONSMEDIA, relinked 1")) << progress.back();
    EXPECT_TRUE(update("\\\\OldServer", {"--quiet"}).err.starts_with("summary: "));

    auto mode = database().connection().prepare("PRAGMA journal_mode");
    mode.step();
    auto bytes = mode.column_bytes(0);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "delete");
    EXPECT_FALSE(fs::exists(database_file.string() + "-wal"));
}

TEST_F(UpdateCommand, ARecordWhoseMediaIdIsNoWholeNumberStopsTheRunAndNoOtherRecordIsWritten) {
    database().connection().execute("DROP TABLE AP7VENDORMEDIA; "
                                    "CREATE TABLE AP7VENDORMEDIA (MEDIAID TEXT PRIMARY KEY, Object BLOB, ParentID INTEGER)");
    const auto other = read_corpus(kEmbeddedPaint), link = link_to(u"\\\\OldServer\\Media\\a.xls");
    database().insert(u"AP7VENDORMEDIA", 2, other);
    auto insert = database().connection().prepare("INSERT INTO AP7VENDORMEDIA (MEDIAID, Object) VALUES ('2x', ?1)");
    insert.bind_blob(1, link);
    insert.step();
    make_network_file("NewServer/Media/a.xls");

    ChildResult r = update("\\\\OldServer");
    EXPECT_EQ(r.status, kRunError);
    EXPECT_EQ(r.lines(), std::vector<std::string>{message(
                             "An error occured while trying to update linked media files: The MEDIAID \"2x\" of a "
                             "record of AP7VENDORMEDIA is not a whole number")});
    EXPECT_NE(r.err.find("the run stopped at AP7VENDORMEDIA MEDIAID 2x\n"), std::string::npos) << r.err;
    EXPECT_EQ(*database().read(u"AP7VENDORMEDIA", 2), other);
}

TEST_F(UpdateCommand, TheAccountAndTheWriteBackAgreeOnARealMediaId) {
    database().connection().execute("DROP TABLE AP7VENDORMEDIA; "
                                    "CREATE TABLE AP7VENDORMEDIA (MEDIAID REAL PRIMARY KEY, Object BLOB, ParentID INTEGER)");
    auto insert = database().connection().prepare("INSERT INTO AP7VENDORMEDIA (MEDIAID, Object) VALUES (1.0, ?1)");
    const auto link = link_to(u"\\\\OldServer\\Media\\a.xls");
    insert.bind_blob(1, link);
    insert.step();
    make_network_file("NewServer/Media/a.xls");

    ChildResult r = update("\\\\OldServer");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.err.find("summary: records=1 selected=1 relinked=1 not_found=0 "), std::string::npos) << r.err;
}

}  // namespace
