// The order of the share walk (platform/share_walk.h), by the calls it makes on folders: depth
// first, a folder's own files first, each subfolder's whole tree before the listing of its parent
// is read on, nothing after the first match, a failing call ends the walk with its error and no
// call after it, and no depth of folders exhausts the stack.
#include <gtest/gtest.h>

#include "document/support/memory_share.h"
#include "document/support/share_search.h"

namespace {

using memory_share::CallLog;
using memory_share::Folder;

// Every call a walk of all of \\Srv\Data makes, in order.
const std::vector<std::string> kAllCalls = {
    "files \\\\Srv\\Data",
    "subfolders \\\\Srv\\Data",
    "enumerate \\\\Srv\\Data",
    "next in \\\\Srv\\Data",
    "files \\\\Srv\\Data\\Alpha",
    "subfolders \\\\Srv\\Data\\Alpha",
    "enumerate \\\\Srv\\Data\\Alpha",
    "next in \\\\Srv\\Data\\Alpha",
    "files \\\\Srv\\Data\\Alpha\\deep",
    "subfolders \\\\Srv\\Data\\Alpha\\deep",
    "enumerate \\\\Srv\\Data\\Alpha\\deep",
    "next in \\\\Srv\\Data\\Alpha\\deep",
    "next in \\\\Srv\\Data\\Alpha",
    "next in \\\\Srv\\Data",
    "files \\\\Srv\\Data\\beta",
    "subfolders \\\\Srv\\Data\\beta",
    "enumerate \\\\Srv\\Data\\beta",
    "next in \\\\Srv\\Data\\beta",
    "next in \\\\Srv\\Data",
};

struct Outcome {
    std::u16string found;
    int error = 0;
    std::vector<std::string> calls;
};

// The search for name in \\Srv\Data: x.doc, Alpha\deep\a.jpg, beta\a.jpg, beta\b.jpg, listed in
// that order; the call numbered fail_at fails.
Outcome search(std::u16string_view name, int fail_at = -1) {
    CallLog log{{}, fail_at};
    auto root = make_com<Folder>(u"\\\\Srv\\Data", &log);
    root->file(u"x.doc");
    root->folder(u"Alpha").folder(u"deep").file(u"a.jpg");
    Folder& beta = root->folder(u"beta");
    beta.file(u"a.jpg");
    beta.file(u"b.jpg");
    Outcome outcome;
    try {
        outcome.found = search_share(root, name);
    } catch (const ComError& e) {
        outcome.error = e.number;
    }
    outcome.calls = log.calls;
    return outcome;
}

std::vector<std::string> first_calls(std::size_t count) {
    return std::vector<std::string>(kAllCalls.begin(), kAllCalls.begin() + std::ptrdiff_t(count));
}

TEST(ShareWalk, DepthFirstAFoldersOwnFilesFirstAndNothingAfterTheFirstMatch) {
    const struct {
        std::u16string name;
        std::u16string found;
        std::size_t calls;  // the first ones of kAllCalls
    } cases[] = {
        {u"X.DOC", u"\\\\Srv\\Data\\x.doc", 1},
        {u"a.jpg", u"\\\\Srv\\Data\\Alpha\\deep\\a.jpg", 9},
        {u"b.jpg", u"\\\\Srv\\Data\\beta\\b.jpg", 15},
        {u"missing.txt", u"", kAllCalls.size()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.name));
        const Outcome outcome = search(c.name);
        EXPECT_EQ(outcome.found, c.found);
        EXPECT_EQ(outcome.error, 0);
        EXPECT_EQ(outcome.calls, first_calls(c.calls));
    }
}

TEST(ShareWalk, AFailingCallEndsTheWalkThereWithItsError) {
    for (std::size_t fail_at = 1; fail_at <= kAllCalls.size(); ++fail_at) {
        SCOPED_TRACE("failing at " + kAllCalls[fail_at - 1]);
        const Outcome outcome = search(u"missing.txt", int(fail_at));
        EXPECT_EQ(outcome.error, 70);
        EXPECT_EQ(outcome.calls, first_calls(fail_at));
    }
}

TEST(ShareWalk, ReachesTheBottomOfATenThousandFolderTree) {
    auto root = make_com<Folder>(u"\\\\Srv\\Share");
    root->file(u"decoy.txt");
    Folder* at = root.get();
    for (int level = 0; level < 10'000; ++level) at = &at->folder(u"d");
    const std::u16string bottom = at->file(u"Deep.txt");
    EXPECT_EQ(search_share(root, u"deep.TXT"), bottom);
    EXPECT_EQ(search_share(root, u"absent.txt"), u"");
}

}  // namespace
