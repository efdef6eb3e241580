// The share index of an update run must answer exactly as the search it stands for (the walk up to
// the first match): the same file for every name, and the same error for every name the search
// would have failed on.
#include <gtest/gtest.h>

#include <malloc.h>

#include <random>

#include "document/share_index.h"
#include "document/support/memory_share.h"
#include "document/support/share_search.h"

namespace {

using memory_share::Folder;

// A file found, or the error that ended the search.
struct Answer {
    std::u16string path;
    int error = 0;
    std::u16string description;
    bool operator==(const Answer&) const = default;
};

template <class Search>
Answer answer(Search search) {
    try {
        return {search(), 0, {}};
    } catch (const ComError& e) {
        return {{}, e.number, e.description};
    }
}

// Names that collide without regard to case, a few that are alike only by full case folding, and
// names found in one place only.
const char16_t* const kNames[] = {u"a.jpg", u"A.JPG", u"b.doc", u"Straße.txt", u"STRASSE.TXT", u"ärger.doc",
                                  u"ÄRGER.DOC", u"c.pdf", u"d.tif", u"e.xls", u"readme"};
const char16_t* const kQueries[] = {u"a.jpg", u"A.jpg", u"B.DOC", u"strasse.txt", u"straße.TXT", u"Ärger.doc",
                                    u"c.pdf", u"D.TIF", u"e.xls", u"README", u"nowhere.doc", u""};

// prefix followed by the number n.
std::u16string numbered(std::u16string prefix, long n) { return prefix.append(utf16(std::to_string(n))); }

// A tree of random folders up to four deep, files named from kNames; with lock, some folders
// (the share's own among them) cannot be listed.
ComPtr<Folder> random_share(std::uint32_t seed, bool lock) {
    std::mt19937 random(seed);
    auto root = make_com<Folder>(u"\\\\NewServer\\Data");
    std::vector<std::pair<Folder*, int>> folders{{root.get(), 0}};  // with their depth
    for (int i = 3 + int(random() % 12); i > 0; --i) {
        const auto [parent, depth] = folders[random() % folders.size()];
        if (depth < 4) folders.push_back({&parent->folder(numbered(u"f", i)), depth + 1});
    }
    for (int i = int(random() % 20); i > 0; --i) folders[random() % folders.size()].first->file(kNames[random() % 11]);
    if (lock)
        for (auto [folder, depth] : folders) folder->locked = random() % 6 == 0;
    return root;
}

TEST(ShareIndex, AnswersAsTheSearchOnRandomTrees) {
    for (bool lock : {false, true}) {
        for (std::uint32_t seed = 1; seed <= 100; ++seed) {
            ComPtr<Folder> root = random_share(seed, lock);
            ShareIndex index(root);
            for (const char16_t* query : kQueries) {
                SCOPED_TRACE((lock ? "locked folders, seed " : "seed ") + std::to_string(seed) + ", " + utf8(query));
                EXPECT_EQ(answer([&] { return index.find(query); }), answer([&] { return search_share(root, query); }));
            }
        }
    }
}

TEST(ShareIndex, ReachesTheBottomOfATenThousandFolderTree) {
    auto root = make_com<Folder>(u"\\\\Srv\\Share");
    const std::u16string decoy = root->file(u"decoy.txt");
    Folder* at = root.get();
    for (int level = 0; level < 10'000; ++level) at = &at->folder(u"d");
    const std::u16string bottom = at->file(u"Deep.txt");
    ShareIndex index(root);
    EXPECT_EQ(index.find(u"DEEP.txt"), bottom);
    EXPECT_EQ(index.find(u"decoy.txt"), decoy);
    EXPECT_EQ(index.find(u"absent.txt"), u"");
}

TEST(ShareIndex, CostsFewerThan300BytesAFile) {
    // Folders three to six deep, twenty files each, names as long as real ones.
    std::mt19937 random(7);
    const int kFiles = 6000;
    auto root = make_com<Folder>(u"\\\\NewServer\\Data");
    Folder* folder = nullptr;
    for (int i = 0; i < kFiles; ++i) {
        if (i % 20 == 0) {
            folder = &root->folder(numbered(u"Folder", i / 20));
            for (int depth = 2 + int(random() % 4); depth > 0; --depth)
                folder = &folder->folder(numbered(u"Folder", long(random() % 8)));
        }
        folder->file(numbered(u"scan-", 100000 + i) + u".pdf");
    }
    auto heap = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };
    const std::size_t before = heap();
    ShareIndex index(root);
    const std::size_t bytes = heap() - before;
    ASSERT_NE(index.find(u"SCAN-105999.PDF"), u"");
    EXPECT_LT(bytes / kFiles, 300u) << bytes << " bytes";
}

}  // namespace
