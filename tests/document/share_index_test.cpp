// The share index of an update run must answer exactly as the search it stands for (the walk up to
// the first match): the same file for every name, and the same error for every name the search
// would have failed on.
#include "document/support/page_fixture.h"

#include <malloc.h>

#include <random>

#include "com/error.h"
#include "com/utf.h"
#include "document/share_index.h"
#include "document/support/share_search.h"
#include "platform/file_system_object.h"
#include "platform/support/network_tree.h"

namespace fs = std::filesystem;

namespace {

// A file found, or the error that ended the search.
struct Answer {
    std::string path;
    int error = 0;
    std::string description;
    bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Answer& a) {
    return a.error ? out << "error " << a.error << " (" << a.description << ")" : out << '"' << a.path << '"';
}

template <class Search>
Answer answer(Search search) {
    try {
        return {utf8(search()), 0, {}};
    } catch (const ComError& e) {
        return {{}, e.number, utf8(e.description)};
    }
}

// Names that collide without regard to case, a few that are alike only by full case folding, and
// names found in one place only.
const char* const kNames[] = {"a.jpg", "A.JPG", "b.doc", "Straße.txt", "STRASSE.TXT", "ärger.doc", "ÄRGER.DOC",
                              "c.pdf", "d.tif", "e.xls", "readme"};
const char* const kQueries[] = {"a.jpg", "A.jpg", "B.DOC", "strasse.txt", "straße.TXT", "Ärger.doc", "c.pdf", "D.TIF",
                                "e.xls", "README", "nowhere.doc", ""};

class ShareIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        share = network.folder("NewServer/Data");
        check(CreateFileSystemObject(fso.put()));
    }

    ComPtr<IFolder> root_folder() {
        ComPtr<IFolder> folder;
        check(fso->GetFolder(Bstr(u"\\\\NewServer\\Data").get(), folder.put()));
        return folder;
    }

    // A tree of random folders up to four deep with names from kNames; with lock, some folders
    // refuse to be listed (to anybody but the super-user).
    void make_random_tree(std::uint32_t seed, bool lock) {
        std::mt19937 random(seed);
        std::vector<fs::path> folders{share};
        const int folder_count = 3 + int(random() % 12);
        for (int i = 0; i < folder_count; ++i) {
            const fs::path& parent = folders[random() % folders.size()];
            if (std::distance(share.begin(), share.end()) + 4 < std::distance(parent.begin(), parent.end())) continue;
            fs::path child = parent / ("f" + std::to_string(random() % 6));
            fs::create_directories(child);
            folders.push_back(child);
        }
        const int file_count = int(random() % 20);
        for (int i = 0; i < file_count; ++i) {
            const fs::path folder = folders[random() % folders.size()];
            std::ofstream(folder / kNames[random() % std::size(kNames)]) << "x";
        }
        if (!lock) return;
        for (std::size_t i = 1; i < folders.size(); ++i)
            if (random() % 5 == 0) locked_folders.push_back(folders[i]);
        for (const fs::path& folder : locked_folders) fs::permissions(folder, fs::perms::none);
    }

    // Every query, through the walk and through an index of the same tree; mismatches are printed.
    bool index_answers_as_the_walk() {
        ComPtr<IFolder> root = root_folder();
        ShareIndex index(root);
        bool same = true;
        for (const char* query : kQueries) {
            const std::u16string name = utf16(query);
            Answer walked = answer([&] { return search_share(root, name); });
            Answer looked_up = answer([&] { return index.find(name); });
            if (walked != looked_up) {
                std::ostringstream out;
                out << "query " << query << ": walk " << walked << ", index " << looked_up << "\n";
                std::fputs(out.str().c_str(), stderr);
                same = false;
            }
        }
        return same;
    }

    NetworkTree network;
    ComPtr<IFileSystem> fso;
    fs::path share;
    std::vector<fs::path> locked_folders;
};

TEST_F(ShareIndexTest, AnswersAsTheWalkOnRandomTrees) {
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        fs::remove_all(share);
        fs::create_directories(share);
        make_random_tree(seed, false);
        EXPECT_TRUE(index_answers_as_the_walk());
    }
}

TEST_F(ShareIndexTest, AnswersAsTheWalkOnRandomTreesWithFoldersThatCannotBeListed) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        for (const fs::path& folder : locked_folders) fs::permissions(folder, fs::perms(0755));
        locked_folders.clear();
        fs::remove_all(share);
        fs::create_directories(share);
        make_random_tree(seed, true);
        // The super-user lists anything: the comparison runs where access rights apply.
        EXPECT_EXIT(exit_unprivileged([&] { return index_answers_as_the_walk(); }), ::testing::ExitedWithCode(0), "");
    }
}

TEST_F(ShareIndexTest, ANameMetBeforeAFolderThatCannotBeListedIsFoundAndAnyOtherRaisesItsError) {
    network.file("NewServer/Data/A/a.jpg");
    network.file("NewServer/Data/B/b.jpg");
    network.file("NewServer/Data/C/c.jpg");
    network.file("NewServer/Data/C/a.jpg");
    fs::permissions(share / "B", fs::perms::none);
    locked_folders.push_back(share / "B");
    auto check_answers = [&] {
        ShareIndex index(root_folder());
        const Answer denied{{}, 70, "Permission denied"};
        return answer([&] { return index.find(u"A.JPG"); }) == Answer{"\\\\NewServer\\Data\\A\\a.jpg", 0, {}} &&
               answer([&] { return index.find(u"c.jpg"); }) == denied &&
               answer([&] { return index.find(u"nowhere.jpg"); }) == denied;
    };
    EXPECT_EXIT(exit_unprivileged(check_answers), ::testing::ExitedWithCode(0), "");
}

TEST_F(ShareIndexTest, AShareRootThatCannotBeListedFailsEveryLookup) {
    network.file("NewServer/Data/a.jpg");
    fs::permissions(share, fs::perms::none);
    auto check_answers = [&] {
        ShareIndex index(root_folder());
        return answer([&] { return index.find(u"a.jpg"); }).error == 70 &&
               answer([&] { return index.find(u"b.jpg"); }).error == 70;
    };
    EXPECT_EXIT(exit_unprivileged(check_answers), ::testing::ExitedWithCode(0), "");
    fs::permissions(share, fs::perms(0755));
}

TEST_F(ShareIndexTest, KeepsTheFirstFileOfEachNameInTheWalksOrder) {
    network.file("NewServer/Data/beta/x.doc");
    network.file("NewServer/Data/Alpha/deep/X.DOC");  // Alpha lists before beta
    network.file("NewServer/Data/Alpha/y.doc");
    network.file("NewServer/Data/Alpha/deep/Y.doc");  // a folder's own files come first
    ShareIndex index(root_folder());
    EXPECT_EQ(utf8(index.find(u"x.doc")), "\\\\NewServer\\Data\\Alpha\\deep\\X.DOC");
    EXPECT_EQ(utf8(index.find(u"Y.DOC")), "\\\\NewServer\\Data\\Alpha\\y.doc");
    EXPECT_EQ(index.find(u"z.doc"), u"");
}

TEST_F(ShareIndexTest, CostsFewerThan300BytesAFile) {
    // Folders three to six deep, twenty files each, names as long as real ones.
    std::mt19937 random(7);
    const int kFiles = 6000;
    fs::path share_folder;
    for (int i = 0; i < kFiles; ++i) {
        if (i % 20 == 0) {
            fs::path folder = share;
            for (int depth = 3 + int(random() % 4), level = 0; level < depth; ++level)
                folder /= "Folder" + std::to_string(random() % 8);
            fs::create_directories(folder);
            share_folder = folder;
        }
        std::ofstream(share_folder / ("scan-" + std::to_string(100000 + i) + ".pdf")) << "x";
    }
    auto heap = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };
    const std::size_t before = heap();
    ShareIndex index(root_folder());
    const std::size_t bytes = heap() - before;
    ASSERT_EQ(utf8(index.find(u"SCAN-105999.PDF")).substr(0, 17), "\\\\NewServer\\Data\\");
    EXPECT_LT(bytes / kFiles, 300u) << bytes << " bytes";
}

}  // namespace
