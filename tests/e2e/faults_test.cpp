// Faults under a real run of pathmender update: a full or unusable temporary folder, a folder of
// the share that cannot be listed, and stored values that cannot be objects. Each run ends with
// the error message, leaves every record as it was or fully re-linked, and no temporary file.
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>

#include "com/utf.h"
#include "e2e/support/child_program.h"
#include "e2e/support/program_fixture.h"
#include "e2e/support/record_check.h"
#include "testkit/object_builder.h"

namespace {

namespace fs = std::filesystem;
namespace ole = pathmender::ole;

constexpr char kErrorPrefix[] = "An error occured while trying to update linked media files: ";
constexpr char16_t kOldLink[] = u"\\\\OldServer\\Media\\a.xls";
constexpr char16_t kNewLink[] = u"\\\\NewServer\\Media\\a.xls";

std::string error_message(const std::string& description) {
    return std::string(kCaption) + kErrorPrefix + description;
}

class FaultRun : public ProgramFixture {
protected:
    // A link to the old server whose file is on the new one, re-linked by a good run; it stands
    // before the fault, in the first table.
    std::vector<std::uint8_t> relinkable_first_record() {
        auto link = link_to(kOldLink);
        database().insert(u"AP7VENDORMEDIA", 1, link);
        make_network_file("NewServer/Media/a.xls");
        return link;
    }
};

// The records after the run: every one as before, but those named in relinked, which must be
// their old object re-linked to kNewLink.
void expect_records(const Records& before, const Records& after, const std::set<RecordKey>& relinked = {}) {
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [key, bytes] : before) {
        SCOPED_TRACE(utf8(key.first) + " " + std::to_string(key.second));
        ASSERT_TRUE(after.count(key));
        if (relinked.count(key)) {
            ASSERT_TRUE(bytes && after.at(key));
            EXPECT_TRUE(relinked_copy(*bytes, *after.at(key), kNewLink));
        } else {
            EXPECT_EQ(after.at(key), bytes);
        }
    }
}

TEST_F(FaultRun, AStoredValueThatIsNoObjectEndsTheRunWithItsOwnText) {
    auto link = link_to(kOldLink);
    std::vector<std::uint8_t> truncated(link.begin(), link.begin() + std::ptrdiff_t(link.size() / 2));
    // The desktop database signature, then a header length that runs past the data.
    std::vector<std::uint8_t> long_header{0x15, 0x1C, 0x00, 0x10};
    long_header.insert(long_header.end(), link.begin(), link.begin() + 100);
    struct Case {
        const char* name;
        std::optional<std::vector<std::uint8_t>> object;  // nothing: NULL
        const char* description;
    } cases[] = {
        {"NULL", std::nullopt, "Invalid use of Null"},
        {"empty", std::vector<std::uint8_t>{}, "Invalid procedure call or argument"},
        {"one byte", std::vector<std::uint8_t>{0x01}, "Invalid procedure call or argument"},
        {"signature without a length", std::vector<std::uint8_t>{0x15, 0x1C, 0x08}, "Invalid procedure call or argument"},
        {"a header that ends inside its own fields", std::vector<std::uint8_t>{0x15, 0x1C, 0x02, 0x00, 0xAA},
         "Invalid data found"},
        {"a header longer than the data", long_header, "Invalid data found"},
        {"a truncated stream", truncated, "Invalid data found"},
        {"text", std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'}, "Invalid data found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        relinkable_first_record();
        if (c.object) database().insert(u"EA7FACULTYMEDIA", 2, *c.object);
        else database().insert_null_object(u"EA7FACULTYMEDIA", 2);
        database().insert(u"PY7EVENTMEDIA", 3, link);  // after the fault: never reached
        Records before = read_all_records(database().connection());

        ChildResult r = update("\\\\OldServer");
        EXPECT_EQ(r.status, kRunError) << r.err;
        EXPECT_EQ(r.lines(), std::vector<std::string>{error_message(c.description)});
        EXPECT_NE(r.err.find("the run stopped at EA7FACULTYMEDIA MEDIAID 2\n"), std::string::npos) << r.err;
        expect_records(before, read_all_records(database().connection()), {{u"AP7VENDORMEDIA", 1}});
        EXPECT_EQ(folder_entries(temp), std::vector<std::string>{});
    }
}

TEST_F(FaultRun, AMediaIdBeyondThirtyTwoBitsIsAnOverflowAndIsNotWritten) {
    relinkable_first_record();
    database().insert(u"GL7PROJECTMEDIA", 4294967296LL + 7, link_to(kOldLink));
    Records before = read_all_records(database().connection());

    ChildResult r = update("\\\\OldServer");
    EXPECT_EQ(r.lines(), std::vector<std::string>{error_message("Overflow")}) << r.err;
    expect_records(before, read_all_records(database().connection()), {{u"AP7VENDORMEDIA", 1}});
    EXPECT_EQ(folder_entries(temp), std::vector<std::string>{});
}

TEST_F(FaultRun, ATemporaryFolderThatCannotTakeAFileStopsTheRunBeforeAnyWrite) {
    struct Case {
        const char* name;
        fs::path folder;
        bool read_only;
        const char* description;
        const char* said;  // of the temporary folder, on standard error
    } cases[] = {
        {"missing", "missing", false, "Path not found", "missing"},
        {"a file in its place", "a-file", false, "Path not found", "missing"},
        {"read-only", "read-only", true, "Permission denied", "not writable"},
    };
    const bool modes_hold = child_can_obey_file_modes();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.read_only && !modes_hold) {
            std::cerr << "skipped: a child cannot be made to meet file modes here\n";
            continue;
        }
        TearDown();
        SetUp();
        relinkable_first_record();
        database().insert(u"AP7VENDORMEDIA", 2, read_corpus(kEmbeddedPaint));
        fs::path folder = root / c.folder;
        if (c.folder == "a-file") std::ofstream(folder) << "not a folder";
        if (c.read_only) {
            fs::create_directories(folder);
            fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        }
        Records before = read_all_records(database().connection());

        ChildOptions options;
        options.environment["TMPDIR"] = folder.string();
        options.obey_file_modes = c.read_only;
        ChildResult r = update("\\\\OldServer", {}, options);
        EXPECT_EQ(r.status, kRunError) << r.err;
        EXPECT_EQ(r.lines(), std::vector<std::string>{error_message(c.description)});
        EXPECT_NE(r.err.find("the temporary folder " + folder.string() + " is " + c.said), std::string::npos) << r.err;
        expect_records(before, read_all_records(database().connection()));
        if (c.read_only) {
            EXPECT_EQ(folder_entries(folder), std::vector<std::string>{});
            fs::permissions(folder, fs::perms::owner_all);
        }
    }
}

TEST_F(FaultRun, AFullTemporaryDiskStopsTheLoadAndLeavesNoFile) {
    fs::path disk = root / "small-disk";
    fs::create_directories(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k,mode=0700") != 0)
        GTEST_SKIP() << "cannot mount a small disk here: " << std::strerror(errno);
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{disk};
    {
        // Fills every free block.
        std::ofstream filler(disk / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), std::streamsize(block.size()))) filler.flush();
    }
    database().insert(u"AP7VENDORMEDIA", 1, link_to(kOldLink));
    make_network_file("NewServer/Media/a.xls");
    Records before = read_all_records(database().connection());

    ChildOptions options;
    options.environment["TMPDIR"] = disk.string();
    ChildResult r = update("\\\\OldServer", {}, options);
    EXPECT_EQ(r.lines(), std::vector<std::string>{error_message("Disk full")}) << r.err;
    expect_records(before, read_all_records(database().connection()));
    EXPECT_EQ(folder_entries(disk), std::vector<std::string>{"filler"});
}

TEST_F(FaultRun, ADiskThatFillsWhileTheRelinkedObjectIsSavedWritesNothing) {
    // The file lies deep below the share, so its re-linked object outgrows the stored one; the
    // child may write files up to the stored object's size: the load fits, the save does not.
    const std::string deep = "NewServer/Media/" + std::string(60, 'd') + "/" + std::string(60, 'e') + "/" +
                             std::string(60, 'f') + "/a.xls";
    make_network_file(deep);
    std::u16string new_path = u"\\\\NewServer\\Media\\" + utf16(std::string(60, 'd')) + u"\\" +
                              utf16(std::string(60, 'e')) + u"\\" + utf16(std::string(60, 'f')) + u"\\a.xls";
    auto old_bytes = link_to(kOldLink);
    ASSERT_GT(link_to(new_path).size(), old_bytes.size());
    database().insert(u"AP7VENDORMEDIA", 1, old_bytes);
    Records before = read_all_records(database().connection());
    // The child then needs to grow no database file before its first write-back.
    database().connection().execute("PRAGMA wal_checkpoint(TRUNCATE)");

    ChildOptions options;
    options.file_size_limit = old_bytes.size();
    // The limit holds for every file; an undo journal of the old bytes would fill first.
    ChildResult r = update("\\\\OldServer", {"--no-journal"}, options);
    EXPECT_EQ(r.lines(), std::vector<std::string>{error_message("Disk Error")}) << r.err;
    expect_records(before, read_all_records(database().connection()));
    EXPECT_EQ(folder_entries(temp), std::vector<std::string>{});
}

TEST_F(FaultRun, ADatabaseDiskThatFillsDuringAWriteBackRollsItBack) {
    // The temporary files fit, the write-ahead log of the first write-back does not.
    auto old_bytes = relinkable_first_record();
    database().insert(u"PY7EVENTMEDIA", 2, old_bytes);
    Records before = read_all_records(database().connection());
    database().connection().execute("PRAGMA wal_checkpoint(TRUNCATE)");

    ChildOptions options;
    options.file_size_limit = std::max(old_bytes.size(), link_to(kNewLink).size());
    // The limit holds for every file; an undo journal of the old bytes would fill first.
    ChildResult r = update("\\\\OldServer", {"--no-journal"}, options);
    // The database's own text: a file that may grow no further is an I/O error to it.
    ASSERT_EQ(r.lines().size(), 1u) << r.out;
    EXPECT_TRUE(r.lines()[0].starts_with(error_message("disk I/O error"))) << r.out;
    EXPECT_EQ(r.status, kRunError);
    EXPECT_EQ(integrity_check(database().connection()), "ok");
    expect_records(before, read_all_records(database().connection()));
    EXPECT_EQ(folder_entries(temp), std::vector<std::string>{});

    // With room again, the next run writes both.
    r = update("\\\\OldServer");
    EXPECT_EQ(r.lines(), std::vector<std::string>{std::string(kCaption) + "Media links have been updated"}) << r.err;
    expect_records(before, read_all_records(database().connection()),
                   {{u"AP7VENDORMEDIA", 1}, {u"PY7EVENTMEDIA", 2}});
}

TEST_F(FaultRun, AnErrorBetweenTwoTablesNamesTheTableBeingOpenedAndNotTheRecordBefore) {
    relinkable_first_record();
    // The second table walked cannot be read: it has no Object column.
    database().connection().execute(
        "DROP TABLE AR7CLIENTMEDIA; CREATE TABLE AR7CLIENTMEDIA (MEDIAID INTEGER PRIMARY KEY, ParentID INTEGER)");
    const fs::path report = root / "run.csv";
    ChildResult r = update("\\\\OldServer", {"--report", report.string()});
    EXPECT_EQ(r.status, kRunError) << r.out << r.err;
    EXPECT_NE(r.err.find("the run stopped opening AR7CLIENTMEDIA\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("the run stopped at"), std::string::npos) << r.err;
    const std::string rows = read_text(report);
    EXPECT_NE(rows.find("AP7VENDORMEDIA,1,linked,\\\\OldServer\\Media\\a.xls,relinked,"), std::string::npos) << rows << r.err;
    EXPECT_EQ(rows.find(",error,"), std::string::npos) << rows;
}

TEST_F(FaultRun, AFolderOfTheShareThatCannotBeListedEndsTheSearchWithPermissionDenied) {
    if (!child_can_obey_file_modes()) GTEST_SKIP() << "cannot make a child meet file modes";
    relinkable_first_record();  // found in place, before any search
    database().insert(u"AR7CLIENTMEDIA", 2, link_to(u"\\\\OldServer\\Media\\moved.xls"));
    database().insert(u"FAASSETMEDIA", 3, link_to(kOldLink));
    make_network_file("NewServer/Media/locked/moved.xls");
    fs::path locked = network / "NewServer/Media/locked";
    fs::permissions(locked, fs::perms::none);
    Records before = read_all_records(database().connection());

    ChildOptions options;
    options.obey_file_modes = true;
    ChildResult r = update("\\\\OldServer", {}, options);
    // In exact mode nothing is searched: the report's own count of candidates passes over the
    // folder it cannot list, and no failure of the run is said.
    const ChildResult exact =
        update("\\\\OldServer", {"--exact", "--dry-run", "--report", (root / "exact.csv").string()}, options);
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_EQ(exact.status, kSomeNotFound) << exact.err;
    EXPECT_EQ(exact.err.find("could not be listed"), std::string::npos) << exact.err;
    EXPECT_EQ(r.lines(), std::vector<std::string>{error_message("Permission denied")}) << r.err;
    EXPECT_EQ(r.status, kRunError);
    EXPECT_NE(r.err.find("the run stopped at AR7CLIENTMEDIA MEDIAID 2\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("the folder " + locked.string() + " could not be listed: Permission denied\n"),
              std::string::npos) << r.err;
    expect_records(before, read_all_records(database().connection()), {{u"AP7VENDORMEDIA", 1}});
    EXPECT_EQ(folder_entries(temp), std::vector<std::string>{});
}

TEST_F(FaultRun, APreviewFailsWhereTheRunCouldNotKeepItsJournal) {
    if (!child_can_obey_file_modes()) GTEST_SKIP() << "cannot make a child meet file modes";
    relinkable_first_record();
    const Records before = read_all_records(database().connection());
    // The database stays writable, but its folder cannot take the journal beside it.
    fs::permissions(root, fs::perms::owner_read | fs::perms::owner_exec);
    ChildOptions options;
    options.obey_file_modes = true;
    const ChildResult preview = update("\\\\OldServer", {"--dry-run"}, options);
    const ChildResult real = update("\\\\OldServer", {}, options);
    fs::permissions(root, fs::perms::owner_all);
    EXPECT_EQ(preview.status, kNotBroughtUp) << preview.out << preview.err;
    EXPECT_EQ(real.status, kNotBroughtUp) << real.out << real.err;
    EXPECT_NE(preview.err.find("the undo journal cannot be kept"), std::string::npos) << preview.err;
    EXPECT_EQ(read_all_records(database().connection()), before);
}

TEST_F(FaultRun, ANetworkFolderThatCannotBeReadIsSaidBeforeThePageOpens) {
    if (!child_can_obey_file_modes()) GTEST_SKIP() << "cannot make a child meet file modes";
    relinkable_first_record();
    fs::permissions(network, fs::perms::none);
    ChildOptions options;
    options.obey_file_modes = true;
    ChildResult r = update("\\\\OldServer", {}, options);
    fs::permissions(network, fs::perms::owner_all);
    EXPECT_EQ(r.status, kNotBroughtUp);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(r.err, "pathmender: the network folder " + network.string() + " cannot be read: Permission denied\n");
}

// The full size where the program is optimised; a debug or sanitised build, which converts
// every byte through unoptimised code, tries the same path with a smaller object.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
constexpr std::size_t kBigObjectMiB = 100;
#else
constexpr std::size_t kBigObjectMiB = 16;
#endif

TEST_F(FaultRun, AHundredMegabyteEmbeddedObjectIsPassedOverUnchanged) {
    ole::ContainerEmbeddedOptions options;
    options.payload_size = kBigObjectMiB << 20;
    options.seed = 7;
    {
        auto big = ole::build_container_embedded(options);
        database().insert(u"AP7VENDORMEDIA", 1, big);
    }
    database().insert(u"AR7CLIENTMEDIA", 2, link_to(kOldLink));
    make_network_file("NewServer/Media/a.xls");
    Records before = read_all_records(database().connection());
    ChildResult r = update("\\\\OldServer");
    EXPECT_EQ(r.lines(), std::vector<std::string>{std::string(kCaption) + "Media links have been updated"}) << r.err;
    expect_records(before, read_all_records(database().connection()), {{u"AR7CLIENTMEDIA", 2}});
    EXPECT_EQ(folder_entries(temp), std::vector<std::string>{});
#if !defined(__SANITIZE_ADDRESS__)
    // A few copies of the one record (its bytes, its text, the object read), never more.
    EXPECT_LT(r.max_rss_kib, long(8 * kBigObjectMiB * 1024 + 64 * 1024)) << "peak memory, KiB";
#endif
    RecordProperty("peak_rss_kib", std::to_string(r.max_rss_kib));
}

}  // namespace
