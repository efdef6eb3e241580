#include "document/support/page_fixture.h"

#include <fstream>

#include "com/error.h"
#include "media/support/test_ole_container.h"
#include "platform/ole/ole_object.h"

namespace {

namespace ole = pathmender::ole;
namespace fs = std::filesystem;

class UpdateRun : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        write_drives({"Z: \\\\NewServer\\Media"});
    }
    // Types the name and presses Update, as the user does.
    void press_update(udPathmender& page, std::u16string_view typed) {
        page.txtPrevious->set_Text(u"");
        page.txtPrevious->SetFocus();
        page.txtPrevious->type(typed);
        page.cmdUpdate->press();
    }
};

TEST_F(UpdateRun, ASecondRunReportsOnlyItsOwnCounts) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    make_network_file("NewServer/Media/a.xls");
    auto page = open_page();
    press_update(*page, u"\\\\OldServer");
    press_update(*page, u"\\\\OldServer");  // the link now names the new server
    EXPECT_EQ(messages(), (std::vector<std::u16string>{u"Media links have been updated", u"No media links were updated."}));
    EXPECT_EQ(page->UpdatedCount, 0);
}

TEST_F(UpdateRun, OneModalProgressWindowPerAcceptedPress) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    auto page = open_page();
    press_update(*page, u"\\\\OldServer");
    EXPECT_EQ(windows.recorder.events,
              (std::vector<std::string>{"show frmProgress", "refresh frmProgress",
                                        "message Unable to locate linked media files.", "unload frmProgress"}));
    EXPECT_FALSE(page->OleContainer);  // borrowed for the run only
}

TEST_F(UpdateRun, ValidationLeavesTheCaretOrTheWholeTextSelected) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    auto page = open_page();
    page->cmdUpdate->SetFocus();
    press_update(*page, u"   ");
    EXPECT_EQ(page->page().ActiveControl(), page->txtPrevious);

    page->cmdUpdate->SetFocus();
    press_update(*page, u"\\\\Old\\Share");
    EXPECT_EQ(page->page().ActiveControl(), page->txtPrevious);
    EXPECT_EQ(page->txtPrevious->SelStart(), 0);
    EXPECT_EQ(page->txtPrevious->SelLength(), 11);
    EXPECT_EQ(messages().size(), 2u);
    for (const auto& e : windows.recorder.events) EXPECT_NE(e, "show frmProgress");
}

TEST_F(UpdateRun, CountsEveryTableAndNamesAreCheckedOnlyWhenThereAreRecords) {
    auto page = open_page();
    EXPECT_EQ(page->CountMediaRecords(), 0);
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\A\\s\\a.xls"));
    database().insert(u"AP7VENDORMEDIA", 2, link_to(u"\\\\A\\s\\a.xls"));
    database().insert(u"AP7VENDORMEDIA", 3, link_to(u"\\\\A\\s\\a.xls"));
    for (int id = 1; id <= 4; ++id) database().insert(u"PY7POSITIONSMEDIA", id, link_to(u"\\\\A\\s\\a.xls"));
    EXPECT_EQ(page->CountMediaRecords(), 7);
    page->txtPrevious->set_Text(u"\\\\ with blanks. and dots");
    EXPECT_TRUE(page->ValidateInput());
    EXPECT_TRUE(messages().empty());
}

TEST_F(UpdateRun, AnEmptyFlattenedObjectIsNeverStored) {
    // Storing the empty text of a container that saved nothing would destroy the record's object.
    auto original = link_to(u"\\\\OldServer\\Media\\a.xls");
    database().insert(u"AP7VENDORMEDIA", 1, original);
    auto page = open_page();
    auto saves_nothing = make_com<TestOleContainer>();
    page->OleContainer = saves_nothing;
    std::u16string path = u"\\\\NewServer\\Media\\a.xls";
    LONG id = 1;
    try {
        page->UpdateMediaLink(path, id, Variant(std::u16string_view(u"AP7VENDORMEDIA")));
        FAIL() << "an empty object was written back";
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, 31036);
        EXPECT_EQ(e.description, u"Disk Error");
    }
    EXPECT_EQ(saves_nothing->linked_to, path);
    EXPECT_EQ(*database().read(u"AP7VENDORMEDIA", 1), original);
    EXPECT_EQ(page->UpdatedCount, 0);
}

TEST_F(UpdateRun, AMediaIdBeyondThirtyTwoBitsEndsTheRunWithOverflow) {
    database().insert(u"AP7VENDORMEDIA", 5000000000LL, link_to(u"\\\\OldServer\\Media\\a.xls"));
    make_network_file("NewServer/Media/a.xls");
    auto page = open_page();
    press_update(*page, u"\\\\OldServer");
    EXPECT_EQ(messages(), std::vector<std::u16string>{
                              u"An error occured while trying to update linked media files: Overflow"});
}

}  // namespace
