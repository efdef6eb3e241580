#include "e2e/support/program_fixture.h"

#include <algorithm>

#include "com/utf.h"
#include "e2e/support/record_check.h"

namespace {

using UpdateCommand = ProgramFixture;

constexpr char kUpdated[] = "Media links have been updated";
constexpr char kSomeMissing[] = "Media links have been updated.  Some linked media files could not be located.";
constexpr char kNoneUpdated[] = "No media links were updated.";
constexpr char kNoneFound[] = "Unable to locate linked media files.";
constexpr char kInvalidName[] = "Please specify a valid server name (e.g. \\\\MyPreviousServer)";

std::string message(const char* text) { return std::string(kCaption) + text; }

TEST_F(UpdateCommand, EachSummaryMessageAsTheCountsSay) {
    struct Case {
        const char* name;
        bool first_file_there, second_file_there, link_elsewhere;
        const char* summary;
    } cases[] = {
        {"all found", true, true, false, kUpdated},
        {"some found", true, false, false, kSomeMissing},
        {"none found", false, false, false, kNoneFound},
        {"nothing selected", false, false, true, kNoneUpdated},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const char16_t* server = c.link_elsewhere ? u"\\\\Elsewhere" : u"\\\\OldServer";
        database().insert(u"AP7VENDORMEDIA", 1, link_to(std::u16string(server) + u"\\Media\\a.xls"));
        database().insert(u"PY7EVENTMEDIA", 2, link_to(std::u16string(server) + u"\\Media\\b.xls"));
        if (c.first_file_there) make_network_file("NewServer/Media/a.xls");
        if (c.second_file_there) make_network_file("NewServer/Media/deeper/b.xls");

        ChildResult r = update("\\\\OldServer");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.lines(), std::vector<std::string>{message(c.summary)});
    }
}

TEST_F(UpdateCommand, RelinkedRecordsPointAtTheNewFileAndKeepTheRest) {
    auto before = link_to(u"\\\\OldServer\\Media\\Photos\\a.xls");
    database().insert(u"EA7FACULTYMEDIA", 7, before);
    make_network_file("NewServer/Media/Photos/a.xls");
    make_network_file("NewServer/Media/Other/a.xls");  // same name elsewhere: the exact path wins

    ChildResult r = update("\\\\oldserver");  // the name test ignores case
    ASSERT_EQ(r.lines(), std::vector<std::string>{message(kUpdated)}) << r.err;

    EXPECT_TRUE(relinked_copy(before, *database().read(u"EA7FACULTYMEDIA", 7), u"\\\\NewServer\\Media\\Photos\\a.xls"));
}

TEST_F(UpdateCommand, EmbeddedObjectsAndOtherServersStayByteIdentical) {
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

TEST_F(UpdateCommand, ABadObjectInALaterTableEndsTheRunAndKeepsEarlierWrites) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    const std::vector<std::uint8_t> garbage{'n', 'o', 't', ' ', 'O', 'L', 'E'};
    database().insert(u"PY7EMPLOYEEMEDIA", 2, garbage);
    auto untouched = link_to(u"\\\\OldServer\\Media\\a.xls");
    database().insert(u"PY7EMPLOYEEMEDIA", 3, untouched);
    database().insert(u"PY7POSITIONSMEDIA", 4, untouched);
    make_network_file("NewServer/Media/a.xls");

    ChildResult r = update("\\\\OldServer");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.lines(), std::vector<std::string>{
                             message("An error occured while trying to update linked media files: Invalid data found")});
    EXPECT_EQ(source_doc_of(*database().read(u"AP7VENDORMEDIA", 1)), u"\\\\NewServer\\Media\\a.xls");
    EXPECT_EQ(*database().read(u"PY7EMPLOYEEMEDIA", 2), garbage);
    EXPECT_EQ(*database().read(u"PY7EMPLOYEEMEDIA", 3), untouched);
    EXPECT_EQ(*database().read(u"PY7POSITIONSMEDIA", 4), untouched);
}

TEST_F(UpdateCommand, ExactModeNeverSearches) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    make_network_file("NewServer/Media/moved/a.xls");
    EXPECT_EQ(update("\\\\OldServer", {"--exact"}).lines(), std::vector<std::string>{message(kNoneFound)});
    EXPECT_EQ(update("\\\\OldServer").lines(), std::vector<std::string>{message(kUpdated)});
    EXPECT_EQ(source_doc_of(*database().read(u"AP7VENDORMEDIA", 1)), u"\\\\NewServer\\Media\\moved\\a.xls");
}

TEST_F(UpdateCommand, ValidationMessagesComeOnceEachAndStopTheRun) {
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
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.lines(), std::vector<std::string>{message(c.shown)}) << "typed: " << c.typed;
    }
    EXPECT_EQ(*database().read(u"AP7VENDORMEDIA", 1), link);
}

TEST_F(UpdateCommand, NoMediaRecordsAtAllIsSaidFirst) {
    ChildResult r = update("not even valid");
    EXPECT_EQ(r.lines(), std::vector<std::string>{message("No media records exist in the system")});
}

TEST_F(UpdateCommand, ArgumentsThatCannotWorkExitWithTwoAndAReason) {
    database().insert(u"AP7VENDORMEDIA", 1, read_corpus(kEmbeddedPaint));
    struct Case {
        std::vector<std::string> arguments;
    } cases[] = {
        {{"update", "--db", (root / "missing.db").string(), "--network", network.string(), "--previous", "\\\\A"}},
        {{"update", "--db", database_file.string(), "--network", (root / "nowhere").string(), "--previous", "\\\\A"}},
        {{"update", "--db", database_file.string(), "--network", network.string(), "--previous", "\\\\A", "--drive", "Q:"}},
        {{"update", "--db", database_file.string(), "--network", network.string(), "--previous", "\\\\A", "--bogus"}},
        {{"update", "--db", database_file.string(), "--network", network.string()}},
    };
    for (const auto& c : cases) {
        ChildResult r = run(c.arguments);
        EXPECT_EQ(r.status, 2) << c.arguments.back();
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST_F(UpdateCommand, APickedDriveIsSearchedAndAnUnregisteredPluginExitsWithOne) {
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

}  // namespace
