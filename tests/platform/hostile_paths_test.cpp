// UNC paths meant to escape the network folder, or to break whatever resolves them, through the
// FileSystemObject as the path search calls it; and share trees deeper than any single path.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

#include "com/error.h"
#include "com/utf.h"
#include "platform/file_system.h"
#include "platform/file_system_object.h"
#include "support/deep_tree.h"
#include "support/network_tree.h"

namespace {

class HostilePaths : public ::testing::Test {
protected:
    void SetUp() override {
        tree.file("NewServer/Data/inside.txt");
        tree.folder("NewServer/Data/Sub");
        tree.file("NewServer/Data/Sub/Deeper/deep.txt");
        tree.file("NewServer/Other/b.txt");
        tree.file("secret-at-root", "secret");
        std::ofstream(tree.outside() / "outside-secret") << "secret";
        std::filesystem::create_directory(tree.outside() / "outside-folder");
        std::ofstream(tree.outside() / "outside-folder" / "x.txt") << "secret";
        std::filesystem::create_directory_symlink(tree.outside() / "outside-folder", tree.root() / "NewServer/Data/LinkOut");
        std::filesystem::create_symlink(tree.outside() / "outside-secret", tree.root() / "NewServer/Data/FileLinkOut");
        std::filesystem::create_symlink("/etc/passwd", tree.root() / "NewServer/Data/passwd");
        std::filesystem::create_symlink("../../secret-at-root", tree.root() / "NewServer/Data/UpAndOut");
        std::filesystem::create_directory_symlink(tree.root() / "NewServer/Other", tree.root() / "NewServer/Data/OtherShare");
        std::filesystem::create_symlink("../../inside.txt", tree.root() / "NewServer/Data/Sub/Deeper/inside-link");
        std::filesystem::create_directory_symlink("..", tree.root() / "NewServer/Data/Sub/Deeper/up");
        check(CreateFileSystemObject(fso.put()));
    }

    bool file_exists(std::u16string_view path) {
        VARIANT_BOOL exists = VARIANT_TRUE;
        check(fso->FileExists(Bstr(path).get(), &exists));
        return exists != VARIANT_FALSE;
    }
    bool folder_exists(std::u16string_view path) {
        VARIANT_BOOL exists = VARIANT_TRUE;
        check(fso->FolderExists(Bstr(path).get(), &exists));
        return exists != VARIANT_FALSE;
    }
    // The run-time error number GetFolder fails with (0 when it succeeds); its out-pointer is reset.
    int get_folder_error(std::u16string_view path) {
        IFolder* poisoned = reinterpret_cast<IFolder*>(0x1);
        HRESULT hr = fso->GetFolder(Bstr(path).get(), &poisoned);
        if (SUCCEEDED(hr)) {
            poisoned->Release();
            return 0;
        }
        EXPECT_EQ(poisoned, nullptr);
        return int(hr & 0xFFFF);
    }
    void expect_names_nothing(std::u16string_view path) {
        EXPECT_FALSE(file_exists(path));
        EXPECT_FALSE(folder_exists(path));
        EXPECT_EQ(get_folder_error(path), 76);
    }

    NetworkTree tree;
    ComPtr<IFileSystem> fso;
};

TEST_F(HostilePaths, NothingResolvesOutsideTheNetworkFolderOrItsShare) {
    const std::u16string cases[] = {
        u"\\\\NewServer\\Data\\..\\..\\secret-at-root",
        u"\\\\NewServer\\Data\\..\\Other\\b.txt",
        u"\\\\NewServer\\Data\\.\\inside.txt",
        u"\\\\NewServer\\Data\\Sub\\..\\..\\..\\secret-at-root",
        u"\\\\NewServer\\Data\\/etc/passwd",
        u"\\\\NewServer\\Data\\\\etc\\passwd",
        u"\\\\NewServer\\Data\\..",
        u"\\\\..\\x",
        u"\\\\..\\..\\outside-secret",
        u"\\\\NewServer\\..\\..",
        u"\\\\NewServer\\..\\..\\outside-secret",
        u"\\\\.\\NewServer\\Data",
        u"\\\\NewServer",
        u"\\\\",
        u"",
        u"/etc/passwd",
        u"\\etc\\passwd",
        u"C:\\etc\\passwd",
        u"\\\\NewServer\\Data/../../secret-at-root",
        u"\\\\NewServer\\Data\\LinkOut",
        u"\\\\NewServer\\Data\\LinkOut\\x.txt",
        u"\\\\NewServer\\Data\\FileLinkOut",
        u"\\\\NewServer\\Data\\passwd",
        u"\\\\NewServer\\Data\\UpAndOut",
        u"\\\\NewServer\\Data\\OtherShare\\b.txt",
        u"\\\\NewServer\\Data\\inside.txt\\..",
        u"\\\\NewServer\\Data\\Sub\\Deeper\\up\\Deeper\\deep.txt",
        u"\\\\NewServer\\Data\\Sub\\Deeper\\deep.txt\\",
        std::u16string(u"\\\\NewServer\\Data\\inside.txt\0.jpg", 32),
        std::u16string(u"\\\\NewServer\\Data\0\\..\\..\\secret-at-root", 37),
        u"\\\\NewServer\\Data\\inside\x01.txt",
        u"\\\\NewServer\\Data\\inside.txt\r\n",
        u"\\\\NewServer\\Data\\\x1b[2J",
        u"\\\\NewServer\\Data\\*",
        u"\\\\NewServer\\Data\\inside.tx?",
        u"\\\\NewServer\\Data\\\xD800.txt",
    };
    for (const std::u16string& path : cases) {
        SCOPED_TRACE(::testing::PrintToString(utf8(path)));
        expect_names_nothing(path);
    }
    // What lies inside is still found, so the refusals above are not a broken resolver.
    EXPECT_TRUE(file_exists(u"\\\\NewServer\\Data\\inside.txt"));
    EXPECT_TRUE(folder_exists(u"\\\\newserver\\data\\sub\\"));
    // Deeper paths, spelled as on disk or not, and a link to a file that stays in its share.
    EXPECT_TRUE(file_exists(u"\\\\NewServer\\Data\\Sub\\Deeper\\deep.txt"));
    EXPECT_TRUE(file_exists(u"\\\\NewServer\\Data\\sub\\DEEPER\\deep.txt"));
    EXPECT_TRUE(file_exists(u"\\\\NewServer\\Data\\Sub\\Deeper\\inside-link"));
    EXPECT_TRUE(folder_exists(u"\\\\NewServer\\Data\\Sub\\Deeper\\"));
    EXPECT_FALSE(folder_exists(u"\\\\NewServer\\Data\\Sub\\Deeper\\deep.txt"));
}

TEST_F(HostilePaths, PathsOfThe32767CharacterLimitNameNothingAndBreakNothing) {
    constexpr std::size_t kLimit = 32767;
    auto padded = [&](std::u16string head, std::u16string_view unit) {
        while (head.size() + unit.size() <= kLimit) head += unit;
        head.resize(kLimit, u'x');
        return head;
    };
    const std::u16string cases[] = {
        padded(u"\\\\NewServer\\Data\\", u"Sub\\"),          // thousands of real-looking components
        padded(u"\\\\NewServer\\Data\\", u"x"),              // one component far beyond any name
        padded(u"\\\\NewServer\\Data\\", u"..\\"),           // thousands of steps up
        padded(u"\\\\NewServer\\Data\\Sub\\", u"\\"),        // thousands of empty components
        padded(u"\\\\", u"NewServer\\"),
        padded(u"\\\\NewServer\\Data\\", u"\xE4\xF6\xFC"),  // characters UTF-8 needs two bytes for
        padded(u"\\\\NewServer\\Data\\", u"\xD83D\xDE00"),  // surrogate pairs
    };
    for (const std::u16string& path : cases) {
        SCOPED_TRACE(utf8(path.substr(0, 40)));
        expect_names_nothing(path);
        expect_names_nothing(path + u"\\");
    }
}

// A share tree 3,000 folders deep: its disk paths are longer than PATH_MAX. The network folder
// resolves and lists it all the same, opening such folders a piece of the path at a time.
class DeepShare : public HostilePaths {
protected:
    static constexpr int kDepth = 3'000;
    void SetUp() override {
        HostilePaths::SetUp();
        tree.folder("NewServer/Deep");
        deep_tree::make_chain(tree.root() / "NewServer/Deep", "d", kDepth, "bottom.txt");
    }
    void TearDown() override { deep_tree::remove(tree.root() / "NewServer", "Deep"); }

    static std::u16string deep_folder(int depth) {
        std::u16string path = u"\\\\NewServer\\Deep";
        for (int i = 0; i < depth; ++i) path += u"\\d";
        return path;
    }
};

TEST_F(DeepShare, FoldersBeyondPathMaxResolveAndList) {
    const std::u16string bottom = deep_folder(kDepth);
    ASSERT_GT(utf8(bottom).size() + tree.root().native().size(), std::size_t(PATH_MAX));

    EXPECT_TRUE(folder_exists(bottom));
    EXPECT_TRUE(folder_exists(u"\\\\newserver\\DEEP" + bottom.substr(16)));
    EXPECT_TRUE(file_exists(bottom + u"\\bottom.txt"));
    EXPECT_TRUE(file_exists(bottom + u"\\BOTTOM.TXT"));
    EXPECT_FALSE(file_exists(bottom + u"\\missing.txt"));
    EXPECT_FALSE(folder_exists(bottom + u"\\d"));
    EXPECT_FALSE(file_exists(bottom + u"\\..\\bottom.txt"));

    ComPtr<IFolder> folder;
    check(fso->GetFolder(Bstr(bottom).get(), folder.put()));
    Bstr path;
    check(folder->get_Path(path.put()));
    EXPECT_EQ(path.view(), bottom);

    ComPtr<IFileCollection> files;
    check(folder->get_Files(files.put()));
    LONG count = 0;
    check(files->get_Count(&count));
    EXPECT_EQ(count, 1);
    ComPtr<IFolderCollection> sub_folders;
    check(folder->get_SubFolders(sub_folders.put()));
    check(sub_folders->get_Count(&count));
    EXPECT_EQ(count, 0);

    // One level above the bottom lists the bottom folder as its only member.
    ComPtr<IFolder> above;
    check(fso->GetFolder(Bstr(deep_folder(kDepth - 1)).get(), above.put()));
    check(above->get_SubFolders(sub_folders.put()));
    check(sub_folders->get_Count(&count));
    EXPECT_EQ(count, 1);
}

TEST_F(DeepShare, LinksBeyondPathMaxThatLeadOutAreLeftOut) {
    // A link at the bottom that leads out of the share: far beyond PATH_MAX it cannot be resolved
    // safely, so it is never listed nor followed.
    int depth = kDepth;
    std::filesystem::path link_target = tree.outside() / "outside-secret";
    int at = ::open((tree.root() / "NewServer/Deep").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(at, 0);
    for (int i = 0; i < depth; ++i) {
        int next = ::openat(at, "d", O_RDONLY | O_DIRECTORY);
        ::close(at);
        ASSERT_GE(next, 0);
        at = next;
    }
    ASSERT_EQ(::symlinkat(link_target.c_str(), at, "out.txt"), 0);
    ASSERT_EQ(::symlinkat("../../../../../../../../../../outside-secret", at, "up.txt"), 0);
    ::close(at);

    const std::u16string bottom = deep_folder(kDepth);
    EXPECT_FALSE(file_exists(bottom + u"\\out.txt"));
    EXPECT_FALSE(file_exists(bottom + u"\\up.txt"));
    ComPtr<IFolder> folder;
    check(fso->GetFolder(Bstr(bottom).get(), folder.put()));
    ComPtr<IFileCollection> files;
    check(folder->get_Files(files.put()));
    LONG count = 0;
    check(files->get_Count(&count));
    EXPECT_EQ(count, 1);  // bottom.txt only
}

}  // namespace
