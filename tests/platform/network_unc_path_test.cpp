#include "platform/unc_path.h"

#include <gtest/gtest.h>

#include "com/utf.h"
#include "support/network_tree.h"

namespace {

class UncPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.file("NewServer/Data/Media/Photos/a.jpg");
        tree.file("NewServer/Data/Ärger/Ärger.doc");
        tree.folder("NewServer/Data/Empty");
        tree.file("NewServer/Other/b.jpg");
        tree.file("NewServer/Data/Dup/one");
        tree.file("NewServer/Data/dup/two");
        tree.file("NewServer/file-at-server-level");
        tree.file("outside-secret", "secret");
    }
    std::optional<std::string> resolve(std::u16string_view unc) {
        auto resolved = resolve_unc_path(unc);
        if (!resolved) return std::nullopt;
        return utf8(resolved->unc) + (resolved->kind == NetworkItemKind::folder ? " [folder]" : " [file]");
    }
    NetworkTree tree;
};

struct ResolveCase {
    std::u16string unc;
    std::optional<std::string> expected;
};

TEST_F(UncPathTest, ComponentsMatchWithoutRegardToCaseAndComeBackAsOnDisk) {
    const ResolveCase cases[] = {
        {u"\\\\NewServer\\Data", "\\\\NewServer\\Data [folder]"},
        {u"\\\\newserver\\DATA\\", "\\\\NewServer\\Data [folder]"},
        {u"\\\\NEWSERVER\\data\\media\\PHOTOS\\A.JPG", "\\\\NewServer\\Data\\Media\\Photos\\a.jpg [file]"},
        {u"\\\\newserver\\data\\ärger\\ÄRGER.DOC", "\\\\NewServer\\Data\\Ärger\\Ärger.doc [file]"},
        {u"\\\\NewServer\\Data\\Empty", "\\\\NewServer\\Data\\Empty [folder]"},
        // Two folders that differ only in case: the exact spelling wins, else the first listed.
        {u"\\\\NewServer\\Data\\dup\\two", "\\\\NewServer\\Data\\dup\\two [file]"},
        {u"\\\\NewServer\\Data\\DUP\\one", "\\\\NewServer\\Data\\Dup\\one [file]"},
        {u"\\\\NewServer\\Data\\DUP\\two", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.unc));
        EXPECT_EQ(resolve(c.unc), c.expected);
    }
}

TEST_F(UncPathTest, NothingOutsideAShareAndNoMalformedPathResolves) {
    const std::u16string cases[] = {
        u"",
        u"\\",
        u"\\\\",
        u"\\\\NewServer",                                   // a server is not a folder
        u"\\\\NewServer\\",
        u"\\\\NewServer\\file-at-server-level",             // a share must be a folder
        u"\\NewServer\\Data",                               // one leading backslash
        u"\\\\\\NewServer\\Data",
        u"NewServer\\Data",
        u"//NewServer/Data",
        u"\\\\NewServer/Data",                              // '/' is no separator
        u"\\\\NewServer\\Data/Media",
        u"\\\\NewServer\\\\Data",                           // empty components
        u"\\\\NewServer\\Data\\\\Media",
        u"\\\\NewServer\\Data\\Media\\\\",
        u"\\\\NewServer\\Data\\..\\Other\\b.jpg",           // dot components
        u"\\\\NewServer\\Data\\Media\\..\\..\\..\\outside-secret",
        u"\\\\NewServer\\Data\\.\\Media",
        u"\\\\..\\NewServer\\Data",
        u"\\\\NewServer\\Data\\Media\\Photos\\a.jpg\\",     // a file asked for as a folder
        u"\\\\NewServer\\Data\\Media\\Photos\\a.jpg\\x",
        std::u16string(u"\\\\NewServer\\Data\\Media\0x", 25),  // NUL and control characters
        u"\\\\NewServer\\Data\\Med\x0001ia",
        u"\\\\NewServer\\Data\\Media:stream",
        u"\\\\NewServer\\Data\\Med?a",
        u"\\\\NewServer\\Data\\Media\\Photos\\a.jp\xD800",    // a lone surrogate
        u"/etc/passwd",
        u"C:\\Windows",
        u"\\\\?\\C:\\Windows",
        u"\\\\NewServer\\Data\\" + std::u16string(300, u'x'),  // longer than any name on disk
    };
    for (const auto& unc : cases) {
        SCOPED_TRACE(utf8(unc));
        EXPECT_EQ(resolve(unc), std::nullopt);
    }
}

// A path spelled as on disk and the same path in other cases name one place, with the same parts.
TEST_F(UncPathTest, ExactAndCaseBlindSpellingsGiveTheSameParts) {
    ::mkfifo((tree.root() / "NewServer/Data/pipe").c_str(), 0600);
    std::filesystem::create_directory_symlink(tree.root(), tree.outside() / "via-link");
    for (bool through_link : {false, true}) {
        SCOPED_TRACE(through_link ? "network folder reached through a link" : "network folder as it is");
        if (through_link) set_network_root(tree.outside() / "via-link");
        const std::filesystem::path root = network_root();
        for (std::u16string_view unc : {u"\\\\NewServer\\Data\\Media\\Photos\\a.jpg", u"\\\\newserver\\data\\MEDIA\\photos\\A.jpg"}) {
            SCOPED_TRACE(utf8(unc));
            auto resolved = resolve_unc_path(unc);
            ASSERT_TRUE(resolved);
            EXPECT_EQ(resolved->disk, root / "NewServer/Data/Media/Photos/a.jpg");
            EXPECT_EQ(resolved->share, root / "NewServer/Data");
            EXPECT_EQ(utf8(resolved->unc), "\\\\NewServer\\Data\\Media\\Photos\\a.jpg");
            EXPECT_EQ(utf8(resolved->name), "a.jpg");
            EXPECT_EQ(resolved->kind, NetworkItemKind::file);
        }
        auto share = resolve_unc_path(u"\\\\NewServer\\Data\\");
        ASSERT_TRUE(share);
        EXPECT_EQ(share->disk, root / "NewServer/Data");
        EXPECT_EQ(share->share, root / "NewServer/Data");
        EXPECT_EQ(utf8(share->name), "Data");
        EXPECT_EQ(share->kind, NetworkItemKind::folder);
        // Neither a file nor a folder: nothing, however it is spelled.
        EXPECT_EQ(resolve(u"\\\\NewServer\\Data\\pipe"), std::nullopt);
        EXPECT_EQ(resolve(u"\\\\NewServer\\Data\\PIPE"), std::nullopt);
    }
}

TEST_F(UncPathTest, LongestPathsAreRefusedWithoutHarm) {
    std::u16string deep = u"\\\\NewServer\\Data";
    while (deep.size() < 32767 - 4) deep += u"\\abc";
    deep.resize(32767);
    EXPECT_EQ(resolve(deep), std::nullopt);
    std::u16string wide = u"\\\\NewServer\\Data\\" + std::u16string(32767 - 17, u'y');
    EXPECT_EQ(resolve(wide), std::nullopt);
}

TEST_F(UncPathTest, LinksToFoldersAreNeverFollowedAndLinksOutOfTheShareNeverResolve) {
    auto share = tree.folder("NewServer/Data");
    std::filesystem::create_directory_symlink(tree.root() / "NewServer/Other", share / "LinkedFolder");
    std::filesystem::create_directory_symlink(share, share / "Loop");
    std::filesystem::create_symlink(tree.root() / "outside-secret", share / "secret.txt");
    std::filesystem::create_symlink(tree.root() / "NewServer/Other/b.jpg", share / "other-share.jpg");
    std::filesystem::create_symlink(share / "Media/Photos/a.jpg", share / "inside.jpg");
    std::filesystem::create_symlink(share / "missing", share / "dangling.jpg");
    std::filesystem::create_symlink("self", share / "self");
    std::filesystem::create_directory_symlink(tree.root() / "NewServer/Data", tree.root() / "LinkedServer");

    EXPECT_EQ(resolve(u"\\\\NewServer\\Data\\LinkedFolder"), std::nullopt);
    EXPECT_EQ(resolve(u"\\\\NewServer\\Data\\LinkedFolder\\b.jpg"), std::nullopt);
    EXPECT_EQ(resolve(u"\\\\NewServer\\Data\\Loop\\Loop\\Loop\\Media"), std::nullopt);
    EXPECT_EQ(resolve(u"\\\\NewServer\\Data\\secret.txt"), std::nullopt);
    EXPECT_EQ(resolve(u"\\\\NewServer\\Data\\other-share.jpg"), std::nullopt);
    EXPECT_EQ(resolve(u"\\\\NewServer\\Data\\dangling.jpg"), std::nullopt);
    EXPECT_EQ(resolve(u"\\\\NewServer\\Data\\self"), std::nullopt);
    EXPECT_EQ(resolve(u"\\\\LinkedServer\\Media"), std::nullopt);
    // A link to a file that stays inside its share is that file.
    EXPECT_EQ(resolve(u"\\\\NewServer\\Data\\INSIDE.JPG"), "\\\\NewServer\\Data\\inside.jpg [file]");
}

TEST_F(UncPathTest, WithoutANetworkFolderNothingResolves) {
    set_network_root({});
    ::unsetenv("PATHMENDER_NETWORK");
    EXPECT_EQ(resolve(u"\\\\NewServer\\Data"), std::nullopt);
}

}  // namespace
