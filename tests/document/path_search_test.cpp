// Where an update run finds a linked file: at its remapped path on the chosen drive's server, or,
// unless the search is restricted to the previous directory structure, anywhere below the drive's
// share. Each case is one run over one linked record.
#include "document/support/page_fixture.h"

#include "com/utf.h"
#include "document/server_name.h"
#include "support/network_tree.h"

namespace {

constexpr char16_t kFound[] = u"Media links have been updated";
constexpr char16_t kNotFound[] = u"Unable to locate linked media files.";

struct Case {
    const char* name;
    std::vector<std::string> files;  // below the network folder
    std::u16string link;
    std::u16string relinked;  // empty: the link stays as it was
    bool exact_only = false;
    std::u16string previous = u"\\\\OldServer";
    std::string drive = "\\\\NewServer\\Data";
};

// Searches start in \\NewServer\Data unless a case says otherwise.
const Case kCases[] = {
    {"the remapped path wins without a search", {"NewServer/Media/Photos/a.jpg", "NewServer/Data/a.jpg"},
     u"\\\\OldServer\\Media\\Photos\\a.jpg", u"\\\\NewServer\\Media\\Photos\\a.jpg"},
    {"the remapped path, searching only the old structure", {"NewServer/Media/Photos/a.jpg", "NewServer/Data/a.jpg"},
     u"\\\\OldServer\\Media\\Photos\\a.jpg", u"\\\\NewServer\\Media\\Photos\\a.jpg", true},
    {"the old server is found without regard to case; the link keeps its spelling", {"NewServer/Media/Photos/a.jpg"},
     u"\\\\OLDSERVER\\MEDIA\\PHOTOS\\A.JPG", u"\\\\newserver\\MEDIA\\PHOTOS\\A.JPG", true, u"\\\\oldserver",
     "\\\\newserver\\data"},
    {"only the old structure: a file elsewhere is not found", {"NewServer/Data/Elsewhere/a.jpg"},
     u"\\\\OldServer\\Media\\a.jpg", u"", true},
    {"the search finds a file elsewhere on the share", {"NewServer/Data/Elsewhere/a.jpg"},
     u"\\\\OldServer\\Media\\a.jpg", u"\\\\NewServer\\Data\\Elsewhere\\a.jpg"},
    {"depth first: a subfolder listed first wins, however deep",
     {"NewServer/Data/beta/a.jpg", "NewServer/Data/Alpha/deep/deeper/a.jpg"},
     u"\\\\OldServer\\Media\\a.jpg", u"\\\\NewServer\\Data\\Alpha\\deep\\deeper\\a.jpg"},
    {"depth first: a folder's own files before its subfolders",
     {"NewServer/Data/beta/a.jpg", "NewServer/Data/Alpha/deep/a.jpg", "NewServer/Data/Alpha/a.jpg"},
     u"\\\\OldServer\\Media\\a.jpg", u"\\\\NewServer\\Data\\Alpha\\a.jpg"},
    {"depth first: the share's own files first", {"NewServer/Data/Alpha/a.jpg", "NewServer/Data/a.jpg"},
     u"\\\\OldServer\\Media\\a.jpg", u"\\\\NewServer\\Data\\a.jpg"},
    {"file names match without regard to case and come back as the disk spells them",
     {"NewServer/Data/Briefe/ärger.doc"}, u"\\\\OldServer\\Docs\\ÄRGER.DOC",
     u"\\\\NewServer\\Data\\Briefe\\ärger.doc", false, u"\\\\OldServer", "\\\\NEWSERVER\\DATA"},
    {"the whole old server name is replaced", {"NewServer/Media/a.doc"},
     u"\\\\OLD\\Media\\a.doc", u"\\\\NewServer\\Media\\a.doc", true, u"\\\\Old"},
    {"a name typed with a trailing blank is replaced where the blank follows it", {"NewServer/Media/a.doc"},
     u"\\\\Old \\Media\\a.doc", u"\\\\NewServer\\Media\\a.doc", true, u"\\\\Old "},
    {"a share that does not exist is not searched", {"NewServer/Data/a.jpg"},
     u"\\\\OldServer\\Media\\a.jpg", u"", false, u"\\\\OldServer", "\\\\NewServer\\Nowhere"},
    {"a server that does not exist is not searched", {"NewServer/Data/a.jpg"},
     u"\\\\OldServer\\Media\\a.jpg", u"", false, u"\\\\OldServer", "\\\\Unknown\\Data"},
};

class PathSearch : public PageFixture {
protected:
    // The drive, the files and one record linked to c.link, as the case has them.
    void prepare(const Case& c) {
        write_drives({"Z: " + c.drive});
        for (const std::string& file : c.files) make_network_file(file);
        database().insert(u"AP7VENDORMEDIA", 1, link_to(c.link));
    }
    // One update run, with the tick as the case has it.
    void run(const Case& c) {
        auto page = open_page();
        if (c.exact_only) control<forms::CheckBox>(*page, "chkExactMatch").click();
        press_update(*page, c.previous);
    }
    // A fresh host, network and recorder for each case.
    void start_afresh() {
        TearDown();
        SetUp();
        windows.recorder.messages.clear();
    }
};

TEST_F(PathSearch, EachCase) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        start_afresh();
        prepare(c);
        run(c);
        EXPECT_EQ(link_of(u"AP7VENDORMEDIA", 1), c.relinked.empty() ? c.link : c.relinked);
        EXPECT_EQ(messages(), std::vector<std::u16string>{c.relinked.empty() ? kNotFound : kFound});
    }
}

TEST_F(PathSearch, LoopsAndLinksOutOfTheShareCannotMisleadTheSearch) {
    for (const char16_t* link : {u"\\\\OldServer\\Media\\missing.txt", u"\\\\OldServer\\Data\\..\\..\\secret.txt",
                                 u"\\\\OldServer\\Data\\up\\secret.txt"}) {
        SCOPED_TRACE(utf8(link));
        start_afresh();
        const Case c{"", {"NewServer/Data/Folder/other.txt", "secret.txt", "NewServer/secret.txt"}, link, u""};
        prepare(c);
        const auto share = network / "NewServer/Data";
        std::filesystem::create_directory_symlink(share, share / "Folder/loop");
        std::filesystem::create_directory_symlink(network / "NewServer", share / "up");
        run(c);
        EXPECT_EQ(link_of(u"AP7VENDORMEDIA", 1), link);
        EXPECT_EQ(messages(), std::vector<std::u16string>{kNotFound});
    }
}

TEST_F(PathSearch, AFolderThatCannotBeListedEndsTheRunWithItsError) {
    // Locked lists before Open, where the file is.
    const Case c{"", {"NewServer/Data/Locked/a.jpg", "NewServer/Data/Open/b.jpg"}, u"\\\\OldServer\\Media\\b.jpg", u""};
    prepare(c);
    namespace fs = std::filesystem;
    fs::permissions(network / "NewServer/Data/Locked", fs::perms::none);
    // The super-user lists anything: the run goes on as a user to whom access rights apply, and who
    // may use the database and the temporary folder.
    fs::permissions(root, fs::perms::all);
    fs::permissions(temp, fs::perms::all);
    fs::permissions(database_file, fs::perms(0666));
    auto run_ends_with_the_error = [&] {
        run(c);
        return messages() == std::vector<std::u16string>{
                                 u"An error occured while trying to update linked media files: Permission denied"};
    };
    EXPECT_EXIT(exit_unprivileged(run_ends_with_the_error), ::testing::ExitedWithCode(0), "");
    fs::permissions(network / "NewServer/Data/Locked", fs::perms::owner_all);
}

// The share is walked once in a run; the next run walks it again and sees what changed.
TEST_F(PathSearch, AFileThatArrivesBetweenRunsIsFoundByTheNextRun) {
    write_drives({"Z: \\\\NewServer\\Media"});
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\Old\\a.xls"));
    database().insert(u"AP7VENDORMEDIA", 2, link_to(u"\\\\OldServer\\Media\\Old\\b.xls"));
    make_network_file("NewServer/Media/Moved/a.xls");
    auto page = open_page();
    press_update(*page, u"\\\\OldServer");
    make_network_file("NewServer/Media/Moved/b.xls");
    press_update(*page, u"\\\\OldServer");
    EXPECT_EQ(messages(), (std::vector<std::u16string>{
                              u"Media links have been updated.  Some linked media files could not be located.", kFound}));
    EXPECT_EQ(link_of(u"AP7VENDORMEDIA", 2), u"\\\\NewServer\\Media\\Moved\\b.xls");
}

TEST(ServerName, ExtractServerName) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\\\\OldServer", u"\\\\OldServer"},
        {u"\\\\NewServer\\Media", u"\\\\NewServer"},
        {u"\\\\srv\\share\\dir\\a.doc", u"\\\\srv"},
        {u"\\\\", u"\\\\"},
        {u"\\\\Old ", u"\\\\Old "},
        {u"srv\\\\share", u"\\\\srvshare"},  // every pair goes, wherever it stands
    };
    for (const auto& [path, server] : cases) {
        SCOPED_TRACE(utf8(path));
        EXPECT_EQ(ExtractServerName(path), server);
    }
}

TEST(ServerName, AServerIsNamedOnlyAsAWholeName) {
    struct Case {
        std::u16string text;
        std::u16string server;
        bool named;
        std::u16string replaced;  // by \\New
    };
    const Case cases[] = {
        {u"\\\\OLD\\Media\\a.doc", u"\\\\Old", true, u"\\\\New\\Media\\a.doc"},
        {u"\\\\old", u"\\\\Old", true, u"\\\\New"},
        {u"\\\\OldServer\\Media\\a.doc", u"\\\\Old", false, u"\\\\OldServer\\Media\\a.doc"},
        {u"\\\\Older", u"\\\\Old", false, u"\\\\Older"},
        {u"\\\\OldServer\\x\\\\old\\y", u"\\\\Old", true, u"\\\\OldServer\\x\\\\New\\y"},
        {u"\\\\Old\\a\\\\OLD\\b", u"\\\\old", true, u"\\\\New\\a\\\\New\\b"},
        {u"\\\\Old \\Media", u"\\\\Old ", true, u"\\\\New\\Media"},
        {u"\\\\Old\\Media", u"\\\\Old ", false, u"\\\\Old\\Media"},
        {u"\\\\ÄRGER\\Media", u"\\\\ärger", true, u"\\\\New\\Media"},
        {u"\\\\srv\\share", u"\\\\", false, u"\\\\srv\\share"},
        {u"", u"\\\\Old", false, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.text) + " / " + utf8(c.server));
        EXPECT_EQ(NamesServer(c.text, c.server), c.named);
        EXPECT_EQ(ReplaceServerName(c.text, c.server, u"\\\\New"), c.replaced);
    }
}

}  // namespace
