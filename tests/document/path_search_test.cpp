#include "document/support/page_fixture.h"

#include "com/error.h"
#include "com/utf.h"
#include "document/server_name.h"
#include "support/network_tree.h"

namespace {

class PathSearch : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        write_drives({"Z: \\\\NewServer\\Data"});
        page = open_page();
    }
    std::string find(std::u16string_view link, std::u16string_view previous, std::u16string_view root, bool exact_only) {
        return utf8(page->FindLinkedFile(std::u16string(link), std::u16string(previous), std::u16string(root), exact_only));
    }
    ComPtr<udPathmender> page;
};

TEST_F(PathSearch, TheRemappedPathWinsWithoutAnySearch) {
    make_network_file("NewServer/Media/Photos/a.jpg");
    make_network_file("NewServer/Data/a.jpg");  // first in the search's order, but never searched for
    for (bool exact_only : {false, true}) {
        SCOPED_TRACE(exact_only);
        EXPECT_EQ(find(u"\\\\OldServer\\Media\\Photos\\a.jpg", u"\\\\OldServer", u"\\\\NewServer\\Data", exact_only),
                  "\\\\NewServer\\Media\\Photos\\a.jpg");
    }
    // The old server is found without regard to case; the candidate keeps the link's own spelling.
    EXPECT_EQ(find(u"\\\\OLDSERVER\\MEDIA\\PHOTOS\\A.JPG", u"\\\\oldserver", u"\\\\newserver\\data", true),
              "\\\\newserver\\MEDIA\\PHOTOS\\A.JPG");
}

TEST_F(PathSearch, ExactOnlyNeverSearches) {
    make_network_file("NewServer/Data/Elsewhere/a.jpg");
    EXPECT_EQ(find(u"\\\\OldServer\\Media\\a.jpg", u"\\\\OldServer", u"\\\\NewServer\\Data", true), "");
    EXPECT_EQ(find(u"\\\\OldServer\\Media\\a.jpg", u"\\\\OldServer", u"\\\\NewServer\\Data", false),
              "\\\\NewServer\\Data\\Elsewhere\\a.jpg");
}

TEST_F(PathSearch, SearchIsDepthFirstWithAFoldersOwnFilesFirst) {
    make_network_file("NewServer/Data/beta/a.jpg");
    make_network_file("NewServer/Data/Alpha/deep/deeper/a.jpg");  // listed before beta, whatever the case
    EXPECT_EQ(find(u"\\\\OldServer\\Media\\a.jpg", u"\\\\OldServer", u"\\\\NewServer\\Data", false),
              "\\\\NewServer\\Data\\Alpha\\deep\\deeper\\a.jpg");
    make_network_file("NewServer/Data/Alpha/a.jpg");
    EXPECT_EQ(find(u"\\\\OldServer\\Media\\a.jpg", u"\\\\OldServer", u"\\\\NewServer\\Data", false),
              "\\\\NewServer\\Data\\Alpha\\a.jpg");
    make_network_file("NewServer/Data/a.jpg");
    EXPECT_EQ(find(u"\\\\OldServer\\Media\\a.jpg", u"\\\\OldServer", u"\\\\NewServer\\Data", false),
              "\\\\NewServer\\Data\\a.jpg");
}

TEST_F(PathSearch, FileNamesMatchWithoutRegardToCaseAndComeBackAsTheDiskSpellsThem) {
    make_network_file("NewServer/Data/Briefe/ärger.doc");
    make_network_file("NewServer/Data/Photos/Beach.JPG");
    EXPECT_EQ(find(u"\\\\OldServer\\Docs\\ÄRGER.DOC", u"\\\\OldServer", u"\\\\NEWSERVER\\DATA", false),
              "\\\\NewServer\\Data\\Briefe\\ärger.doc");
    EXPECT_EQ(find(u"\\\\OldServer\\Docs\\beach.jpg", u"\\\\OldServer", u"\\\\NewServer\\Data", false),
              "\\\\NewServer\\Data\\Photos\\Beach.JPG");
}

TEST_F(PathSearch, OnlyTheWholeOldServerNameIsReplaced) {
    // Under the old rule \\Old turned \\OldServer\Media into \\NewServer\Media and found this file.
    make_network_file("NewServer/Media/a.doc");
    EXPECT_EQ(find(u"\\\\OldServer\\Media\\a.doc", u"\\\\Old", u"\\\\NewServer\\Data", true), "");
    EXPECT_EQ(find(u"\\\\OLD\\Media\\a.doc", u"\\\\Old", u"\\\\NewServer\\Data", true), "\\\\NewServer\\Media\\a.doc");
    // A name typed with a trailing blank is replaced only where the blank follows it.
    EXPECT_EQ(find(u"\\\\Old \\Media\\a.doc", u"\\\\Old ", u"\\\\NewServer\\Data", true), "\\\\NewServer\\Media\\a.doc");
}

TEST_F(PathSearch, AMissingSearchRootGivesNothingAndNoError) {
    make_network_file("NewServer/Data/a.jpg");
    for (std::u16string root : {u"\\\\NewServer\\Nowhere", u"\\\\Unknown\\Data", u"\\\\NewServer"}) {
        SCOPED_TRACE(utf8(root));
        EXPECT_EQ(find(u"\\\\OldServer\\Media\\a.jpg", u"\\\\OldServer", root, false), "");
    }
}

TEST_F(PathSearch, LoopsAndEscapesCannotMisleadTheSearch) {
    auto share = network / "NewServer/Data";
    make_network_file("NewServer/Data/Folder/other.txt");
    make_network_file("secret.txt");
    make_network_file("NewServer/secret.txt");
    std::filesystem::create_directory_symlink(share, share / "Folder/loop");
    std::filesystem::create_directory_symlink(network / "NewServer", share / "up");
    EXPECT_EQ(find(u"\\\\OldServer\\Media\\missing.txt", u"\\\\OldServer", u"\\\\NewServer\\Data", false), "");
    EXPECT_EQ(find(u"\\\\OldServer\\Data\\..\\..\\secret.txt", u"\\\\OldServer", u"\\\\NewServer\\Data", false), "");
    EXPECT_EQ(find(u"\\\\OldServer\\Data\\up\\secret.txt", u"\\\\OldServer", u"\\\\NewServer\\Data", false), "");
}

TEST_F(PathSearch, AFolderThatCannotBeListedEndsTheSearchWithItsError) {
    make_network_file("NewServer/Data/Locked/a.jpg");
    make_network_file("NewServer/Data/Open/b.jpg");
    std::filesystem::permissions(network / "NewServer/Data/Locked", std::filesystem::perms::none);
    auto denied = [&] {
        try {
            find(u"\\\\OldServer\\Media\\a.jpg", u"\\\\OldServer", u"\\\\NewServer\\Data", false);
        } catch (const ComError& e) {
            return e.number == 70 && e.description == u"Permission denied";
        }
        return false;
    };
    // The super-user reads anything: the check runs where access rights apply.
    EXPECT_EXIT(exit_unprivileged(denied), ::testing::ExitedWithCode(0), "");
    std::filesystem::permissions(network / "NewServer/Data/Locked", std::filesystem::perms::owner_all);
}

TEST_F(PathSearch, ServicesAreCreatedOnceAndKept) {
    auto services = page->GetFileServices();
    auto file_system = page->GetFileSystem();
    EXPECT_TRUE(services && file_system);
    EXPECT_EQ(page->GetFileServices().get(), services.get());
    EXPECT_EQ(page->GetFileSystem().get(), file_system.get());
    EXPECT_EQ(page->FileSystem.get(), file_system.get());
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
        EXPECT_EQ(udPathmender::ExtractServerName(path), server);
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
