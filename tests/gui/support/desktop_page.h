// The real page on a host of the test's own, on the desktop: opened as the shell opens it and shown
// in a document window.
#pragma once

#include <memory>

#include "document/udPathmender.h"
#include "gui/desktop.h"
#include "support/host_fixture.h"

class DesktopPage : public HostFixture {
protected:
    void TearDown() override;
    // Opens the page and shows it in a window.
    void show_page();

    ComPtr<udPathmender> page;
    std::unique_ptr<gui::DocumentWindow> window;
};
