// The share index of an update run must answer exactly as the walk it replaces (SearchFolder):
// the same file for every name, and the same error for every name the walk would have failed on.
#include "document/support/page_fixture.h"

#include <random>

#include "com/error.h"
#include "com/utf.h"
#include "document/share_index.h"
#include "testkit/object_builder.h"
#include "platform/ole/ole_object.h"
#include "support/network_tree.h"

namespace fs = std::filesystem;
namespace ole = pathmender::ole;

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

class ShareIndexTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        write_drives({"Z: \\\\NewServer\\Data"});
        page = open_page();
        share = network / "NewServer" / "Data";
        fs::create_directories(share);
    }
    void TearDown() override {
        // Locked folders must open again before they can be removed.
        std::error_code ignored;
        for (auto it = fs::recursive_directory_iterator(share, fs::directory_options::skip_permission_denied, ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored))
            if (it->is_directory(ignored)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        for (const fs::path& locked : locked_folders) fs::permissions(locked, fs::perms(0755), ignored);
        PageFixture::TearDown();
    }

    ComPtr<IFolder> root_folder() {
        ComPtr<IFolder> folder;
        check(page->GetFileSystem()->GetFolder(Bstr(u"\\\\NewServer\\Data").get(), folder.put()));
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
            Answer walked = answer([&] { return page->SearchFolder(root, name); });
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

    ComPtr<udPathmender> page;
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
    make_network_file("NewServer/Data/A/a.jpg");
    make_network_file("NewServer/Data/B/b.jpg");
    make_network_file("NewServer/Data/C/c.jpg");
    make_network_file("NewServer/Data/C/a.jpg");
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
    make_network_file("NewServer/Data/a.jpg");
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
    make_network_file("NewServer/Data/beta/x.doc");
    make_network_file("NewServer/Data/Alpha/deep/X.DOC");  // Alpha lists before beta
    make_network_file("NewServer/Data/Alpha/y.doc");
    make_network_file("NewServer/Data/Alpha/deep/Y.doc");  // a folder's own files come first
    ShareIndex index(root_folder());
    EXPECT_EQ(utf8(index.find(u"x.doc")), "\\\\NewServer\\Data\\Alpha\\deep\\X.DOC");
    EXPECT_EQ(utf8(index.find(u"Y.DOC")), "\\\\NewServer\\Data\\Alpha\\y.doc");
    EXPECT_EQ(index.find(u"z.doc"), u"");
    EXPECT_EQ(index.file_count(), 2u);  // distinct names only
}

TEST_F(ShareIndexTest, CostsFewerThan200BytesAFile) {
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
    ShareIndex index(root_folder());
    ASSERT_EQ(index.file_count(), std::size_t(kFiles));
    EXPECT_LT(index.memory_bytes() / index.file_count(), 200u) << index.memory_bytes() << " bytes";
}

// An update run walks once and then looks up; the next run walks again and sees what changed.
TEST_F(ShareIndexTest, LivesForOneRunOnly) {
    write_drives({"Z: \\\\NewServer\\Media"});
    page = open_page();
    auto link = [](std::u16string_view path) { return ole::build_container_link({.path = std::u16string(path)}); };
    database().insert(u"AP7VENDORMEDIA", 1, link(u"\\\\OldServer\\Media\\Old\\a.xls"));
    database().insert(u"AP7VENDORMEDIA", 2, link(u"\\\\OldServer\\Media\\Old\\b.xls"));
    make_network_file("NewServer/Media/Moved/a.xls");
    auto press_update = [&] {
        page->txtPrevious->set_Text(u"");
        page->txtPrevious->SetFocus();
        page->txtPrevious->type(u"\\\\OldServer");
        page->cmdUpdate->press();
    };
    press_update();
    EXPECT_FALSE(page->SearchIndexes.is_open());
    make_network_file("NewServer/Media/Moved/b.xls");  // arrives between the runs
    press_update();
    EXPECT_EQ(messages(), (std::vector<std::u16string>{
                              u"Media links have been updated.  Some linked media files could not be located.",
                              u"Media links have been updated"}));
    std::size_t consumed = 0;
    EXPECT_EQ(ole::source_doc(ole::read_ole_object(*database().read(u"AP7VENDORMEDIA", 2), consumed)),
              u"\\\\NewServer\\Media\\Moved\\b.xls");
}

}  // namespace
