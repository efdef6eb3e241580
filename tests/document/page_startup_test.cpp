#include <cstdlib>

#include "document/support/page_fixture.h"

#include "com/error.h"
#include "hostapp/services/host_environment.h"

namespace {

using PageStartUp = PageFixture;

// References the object holds besides the caller's.
ULONG references(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST_F(PageStartUp, AFreshPageHasItsControlsAndFocusOrder) {
    write_drives({"Z: \\\\NewServer\\Data"});
    auto page = open_page();
    EXPECT_TRUE(control<forms::TextBox>(*page, "txtPrevious").Text().empty());
    for (const char* box : {"chkExactMatch", "chkUpdatedQuery", "chkExceptionQuery"})
        EXPECT_EQ(control<forms::CheckBox>(*page, box).Value, 0) << box;
    // On the page but never usable.
    EXPECT_FALSE(control<forms::CheckBox>(*page, "chkUpdatedQuery").can_focus());
    EXPECT_FALSE(control<forms::CheckBox>(*page, "chkExceptionQuery").can_focus());
    EXPECT_TRUE(control<forms::CommandButton>(*page, "cmdUpdate").Enabled);
    EXPECT_EQ(control<forms::Label>(*page, "lblPrevious(0)").Caption, u"Previous server name:");
    EXPECT_EQ(control<forms::Label>(*page, "lblPrevious(1)").Caption, u"Start search in:");
    EXPECT_EQ(control<forms::Image>(*page, "Image1").Picture.size(), 128520u);

    std::vector<std::string> order;
    for (auto* c : page->page().tab_order()) order.push_back(c->name());
    EXPECT_EQ(order, (std::vector<std::string>{"txtPrevious", "cboMapped", "chkExactMatch", "cmdUpdate"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(PageStartUp, DriveListShowsLetteredConnectionsWithTheirCollectionIndex) {
    write_drives({"# the workstation's connections", "Y: \\\\Srv1\\R1", "- \\\\Srv2\\Hidden", "", "Z: \\\\Srv3\\R2"});
    auto page = open_page();
    const auto& drives = control<forms::ComboBox>(*page, "cboMapped");
    ASSERT_EQ(drives.ListCount(), 2);
    EXPECT_EQ(drives.List(0), u"Y:     (\\\\Srv1\\R1)");
    EXPECT_EQ(drives.List(1), u"Z:     (\\\\Srv3\\R2)");
    EXPECT_EQ(drives.ItemData(0), 1);
    EXPECT_EQ(drives.ItemData(1), 5);
    EXPECT_EQ(drives.ListIndex(), 0);
}

TEST_F(PageStartUp, NoUsableDriveMeansOneMessageAndNoUpdate) {
    for (auto drives : {std::vector<std::string>{}, std::vector<std::string>{"- \\\\Srv\\Only"}}) {
        write_drives(drives);
        windows.recorder.messages.clear();
        auto page = open_page();
        EXPECT_EQ(control<forms::ComboBox>(*page, "cboMapped").ListCount(), 0);
        EXPECT_EQ(control<forms::ComboBox>(*page, "cboMapped").ListIndex(), -1);
        EXPECT_FALSE(control<forms::CommandButton>(*page, "cmdUpdate").Enabled);
        ASSERT_EQ(messages(), std::vector<std::u16string>{u"No mapped network drives found."});
        EXPECT_EQ(windows.recorder.messages[0].style, 64);
        EXPECT_EQ(windows.recorder.messages[0].caption, u"Test Host");
    }
}

TEST_F(PageStartUp, InitKeepsTheLastSessionAndClosedownLetsGoOfIt) {
    write_drives({"Z: \\\\NewServer\\Data"});
    auto page = open_page(false);
    auto first = host_session(), second = host_session();
    ISessionContext* raw = first.get();
    ASSERT_EQ(page->Init(&raw), S_OK);
    raw = second.get();
    ASSERT_EQ(page->Init(&raw), S_OK);
    EXPECT_EQ(references(first.get()), 1u);  // the page let go of the first session
    EXPECT_EQ(references(second.get()), 2u);

    // The page's messages carry the session's title; a press of Update uses its data.
    press_update(*page, u"\\\\OldServer");
    ASSERT_EQ(messages(), std::vector<std::u16string>{u"No media records exist in the system"});
    EXPECT_EQ(windows.recorder.messages[0].caption, u"Test Host");

    EXPECT_EQ(page->Closedown(), S_OK);
    EXPECT_EQ(references(second.get()), 1u);
    EXPECT_EQ(page->Closedown(), S_OK);
}

TEST_F(PageStartUp, AFailedStandaloneSessionShowsOneMessageAndStartUpGoesOn) {
    write_drives({"Z: \\\\NewServer\\Data"});
    configure_host([](HostEnvironment& env) { env.database.clear(); });
    auto page = open_page(false);
    ASSERT_EQ(windows.recorder.messages.size(), 1u);
    const auto& m = windows.recorder.messages[0];
    EXPECT_TRUE(m.prompt.starts_with(u"KWOpen was unable to initialize: (")) ;
    EXPECT_TRUE(m.prompt.ends_with(u")"));
    EXPECT_EQ(m.style, 48);
    EXPECT_EQ(m.caption, u"Pathmender");  // the platform's default caption
    EXPECT_EQ(control<forms::ComboBox>(*page, "cboMapped").ListCount(), 1);

    // Without a session nothing can be counted: the click says so and no run starts.
    press_update(*page, u"\\\\Old");
    ASSERT_EQ(windows.recorder.messages.size(), 2u);
    EXPECT_EQ(windows.recorder.messages[1].prompt, u"No session with the host is open");
    for (const auto& e : windows.recorder.events) EXPECT_NE(e, "show frmProgress");
}

TEST_F(PageStartUp, ResizeMakesTheElasticContainerFillThePage) {
    write_drives({"Z: \\\\NewServer\\Data"});
    auto page = open_page();
    for (auto [w, h] : {std::pair{10515, 4095}, std::pair{20000, 9000}, std::pair{3000, 1500}}) {
        page->page().resize_client(w, h);
        const auto& elastic = control<forms::ElasticContainer>(*page, "VXElastic1");
        EXPECT_EQ(elastic.Left, 0);
        EXPECT_EQ(elastic.Top, 0);
        EXPECT_EQ(elastic.Width, w);
        EXPECT_EQ(elastic.Height, h);
    }
    // Children keep their design margins, whatever sizes came before (the elastic container was
    // designed at 10365 by 3795).
    page->page().resize_client(12000, 5000);
    EXPECT_EQ(control<forms::Image>(*page, "Image1").Width, 2865);  // the picture keeps its width
    EXPECT_EQ(control<forms::Image>(*page, "Image1").Height, 3645 + 5000 - 3795);
    EXPECT_EQ(control<forms::Frame>(*page, "Frame1").Width, 7395 + 12000 - 10365);
    EXPECT_EQ(control<forms::Frame>(*page, "Frame1").Height, 3705 + 5000 - 3795);
}

}  // namespace
