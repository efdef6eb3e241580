// pathmender update --dry-run and --report, through the program: a preview runs as a real run and
// leaves the database file byte for byte as it was, with nothing beside it; a report has a row for
// every record of the database, whatever became of it.
#include <fstream>
#include <sstream>

#include "com/utf.h"
#include "e2e/support/program_fixture.h"
#include "e2e/support/record_check.h"
#include "testkit/media_database.h"

namespace {

namespace fs = std::filesystem;
using Preview = ProgramFixture;
using Report = ProgramFixture;

std::string file_text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines of a CSV file whose fields hold no line breaks, without their CRLF.
std::vector<std::string> csv_lines(const fs::path& file) {
    std::vector<std::string> lines;
    std::istringstream in(file_text(file));
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(line.ends_with('\r')) << line;
        if (line.ends_with('\r')) line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// What a run says: its message lines, its status and its summary's counts.
std::string said(const ChildResult& r) {
    std::string summary = r.err.substr(r.err.find("summary: "));
    return r.out + " status " + std::to_string(r.status) + " " + summary.substr(0, summary.find(" elapsed="));
}

TEST_F(Preview, RunsAsARealRunAndLeavesTheFileAsItWas) {
    make_network_file("NewServer/Media/a.xls");
    make_network_file("NewServer/Media/moved/b.xls");
    struct Case {
        const char* mode;
        bool read_only;  // the file's mode: SQLite opens it for reading only
    } cases[] = {{"wal", false}, {"delete", false}, {"wal", true}};
    for (const auto& [mode, read_only] : cases) {
        SCOPED_TRACE(std::string(mode) + (read_only ? ", read-only" : ""));
        if (read_only && !child_can_obey_file_modes()) continue;
        const fs::path folder = root / (std::string(mode) + (read_only ? "-read-only" : "")), file = folder / "host.db";
        fs::create_directories(folder);
        {
            MediaDatabase db = MediaDatabase::create(file);
            db.insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
            db.insert(u"FAASSETMEDIA", 2, link_to(u"\\\\OldServer\\Media\\b.xls"));
            db.insert(u"FAASSETMEDIA", 3, link_to(u"\\\\OldServer\\Media\\gone.xls"));
            db.connection().execute(std::string("PRAGMA journal_mode = ") + mode);
        }
        const std::string before = file_text(file);
        if (read_only) fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        fs::copy_file(file, root / "real.db");
        auto args = [&](const fs::path& db, std::vector<std::string> more) {
            std::vector<std::string> a{"update", "--db", db.string(), "--network", network.string(), "--previous",
                                       "\\\\OldServer"};
            a.insert(a.end(), more.begin(), more.end());
            return a;
        };

        ChildOptions options;
        options.obey_file_modes = read_only;
        const ChildResult preview = run(args(file, {"--dry-run", "--report", (root / "preview.csv").string()}), options);
        EXPECT_EQ(file_text(file), before);
        EXPECT_EQ(folder_entries(folder), std::vector<std::string>{"host.db"});
        const ChildResult real = run(args(root / "real.db", {"--no-journal"}), options);
        EXPECT_EQ(said(preview), said(real));
        if (read_only) {
            EXPECT_EQ(preview.status, kRunError) << preview.err;
            fs::remove(root / "real.db");
            for (const char* suffix : {"-wal", "-shm"}) fs::remove(root / ("real.db" + std::string(suffix)));
            continue;
        }
        EXPECT_NE(preview.err.find("pathmender: a preview: nothing was written\n"), std::string::npos) << preview.err;
        EXPECT_EQ(real.err.find("a preview"), std::string::npos) << real.err;
        EXPECT_EQ(said(real), "[Pathmender Host] Media links have been updated.  Some linked media files could not be "
                              "located.\n status 3 summary: records=3 selected=3 relinked=2 not_found=1");
        EXPECT_NE(file_text(root / "real.db"), before);
        EXPECT_EQ(csv_lines(root / "preview.csv")[1].find("AP7VENDORMEDIA,1,linked,\\\\OldServer\\Media\\a.xls,would-relink,"),
                  0u);
        fs::remove(root / "real.db");
    }
}

TEST_F(Report, AccountsForEveryRecordOfAMixedDatabase) {
    const std::string old_a = "\\\\OldServer\\Media\\a.xls", old_b = "\\\\OldServer\\Media\\gone\\b.xls";
    database().insert(u"AP7VENDORMEDIA", 1, read_corpus(kEmbeddedPaint));
    database().insert(u"AR7CLIENTMEDIA", 2, link_to(u"\\\\Archive\\Media\\a.xls"));
    database().insert(u"AR7CLIENTMEDIA", 3, link_to(utf16(old_a)));
    database().insert(u"EA7FACULTYMEDIA", 4, link_to(utf16(old_b)));
    database().insert(u"EA7FACULTYMEDIA", 5, link_to(u"\\\\OldServer\\Media\\c, \"quoted\".xls"));
    database().insert(u"FAASSETMEDIA", 6, std::vector<std::uint8_t>{'n', 'o', 't', ' ', 'O', 'L', 'E'});
    database().insert(u"FAASSETMEDIA", 7, link_to(utf16(old_a)));
    database().insert(u"PY7EVENTMEDIA", 8, std::vector<std::uint8_t>{});
    make_network_file("NewServer/Media/a.xls");
    make_network_file("NewServer/Media/x/b.xls");
    make_network_file("NewServer/Media/y/B.XLS");
    // On the disk, but a name the file server cannot hold: never listed, and the report says why.
    make_network_file("NewServer/Media/c, \"quoted\".xls");
    const std::string invalid = "An error occured while trying to update linked media files: Invalid data found";

    struct Case {
        std::vector<std::string> more;
        const char* relinked;
    } cases[] = {{{"--dry-run"}, "would-relink"}, {{"--no-journal"}, "relinked"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.relinked);
        std::vector<std::string> more = c.more;
        more.insert(more.end(), {"--report", (root / "report.csv").string()});
        const ChildResult r = update("\\\\OldServer", more);
        EXPECT_EQ(r.status, kRunError) << r.err;
        const std::string relinked = c.relinked;
        EXPECT_EQ(csv_lines(root / "report.csv"),
                  (std::vector<std::string>{
                      "table,mediaid,kind,source,outcome,new_path,found_by,candidates,other_candidates,error",
                      "AP7VENDORMEDIA,1,embedded,,not-linked,,,,,",
                      "AR7CLIENTMEDIA,2,linked,\\\\Archive\\Media\\a.xls,other-server,,,,,",
                      "AR7CLIENTMEDIA,3,linked," + old_a + "," + relinked + ",\\\\NewServer\\Media\\a.xls,remapped,,,",
                      "EA7FACULTYMEDIA,4,linked," + old_b + "," + relinked +
                          ",\\\\NewServer\\Media\\x\\b.xls,name,2,\\\\NewServer\\Media\\y\\B.XLS,",
                      "EA7FACULTYMEDIA,5,linked,\"\\\\OldServer\\Media\\c, \"\"quoted\"\".xls\",not-found,,,0,,"
                      "\"the file name cannot be a name on the file server (it holds one of \\ / : * ? \"\" < > | or a "
                      "control character), so no file of that name is ever found\"",
                      "FAASSETMEDIA,6,unreadable,,error,,,,," + invalid,
                      "FAASSETMEDIA,7,linked," + old_a + ",not-reached,,,,,",
                      "PY7EVENTMEDIA,8,empty,,not-reached,,,,,",
                  }));
        for (const std::string& name : folder_entries(root)) EXPECT_EQ(name.find(".partial-"), std::string::npos);
    }
}

}  // namespace
