// The desktop page's runs in the undo journal: each press of Update that walks the tables is a run
// of its own, with what the page showed, its counts, its write-backs and how it ended; a press the
// page refuses is none; the journal is held while the window is open.
#include "app/desktop_runs.h"
#include "document/support/page_fixture.h"
#include "hostapp/db/undo_journal.h"

namespace {

class DesktopRunsTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        write_drives({"Z: \\\\NewServer\\Media"});
        make_network_file("NewServer/Media/a.xls");
    }
};

TEST_F(DesktopRunsTest, EachPressOfUpdateIsAJournaledRunOfItsOwn) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    database().insert(u"FAASSETMEDIA", 2, link_to(u"\\\\OldServer\\Media\\gone.xls"));
    const std::filesystem::path journal_file = root / "desktop.journal";
    {
        DesktopRuns runs(journal_file, database_file);
        configure_host([&](HostEnvironment& environment) { environment.hooks = runs.hooks(); });
        auto page = open_page();
        runs.watch(page->page(), windows.recorder);
        forms::WindowSystemInstalled in_front(runs);
        press_update(*page, u"OldServer");  // refused: no run
        press_update(*page, u"\\\\OldServer");
        database().insert(u"GL7PROJECTMEDIA", 3, link_to(u"\\\\OldServer\\Media\\a.xls"));
        control<forms::CheckBox>(*page, "chkExactMatch").click();
        press_update(*page, u"\\\\OldServer");
        EXPECT_EQ(messages().size(), 3u) << "every message still reaches the screen";
        EXPECT_THROW(UndoJournal::check_not_held(journal_file), JournalInUse);
    }
    UndoJournal journal(journal_file, false);
    const std::vector<JournalRun> runs = journal.runs();
    ASSERT_EQ(runs.size(), 2u);
    const JournalRun &first = runs[1], &second = runs[0];
    EXPECT_EQ(first.previous_server, "\\\\OldServer");
    EXPECT_EQ(first.drive, "Z:");
    EXPECT_FALSE(first.exact);
    EXPECT_EQ(first.counts.records, 2);
    EXPECT_EQ(first.counts.relinked, 1);
    EXPECT_EQ(first.counts.not_found, 1);
    EXPECT_EQ(first.write_backs, 1);
    EXPECT_EQ(first.outcome, "completed, some links not found");
    EXPECT_TRUE(second.exact);
    EXPECT_EQ(second.counts.records, 3);
    EXPECT_EQ(second.write_backs, 1);
    EXPECT_FALSE(second.ended.empty());
    EXPECT_FALSE(journal.live_holder());
}

}  // namespace
