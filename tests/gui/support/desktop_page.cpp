#include "gui/support/desktop_page.h"

#include "gui/support/gui_test_support.h"

void DesktopPage::TearDown() {
    window.reset();
    if (page) page->Closedown();
    page.reset();
    gui_test::settle();
    HostFixture::TearDown();
}

void DesktopPage::show_page() {
    page = open_page();
    window = std::make_unique<gui::DocumentWindow>(page->page(), u"Test Host");
    window->show();
    gui_test::settle();
}
