// The desktop front end: the window system drawn with real widgets, and the host shell's document
// window. Plain C++ only, so that callers never see the toolkit behind it.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/forms/form.h"
#include "platform/forms/window_system.h"

namespace gui {

// There is no display to show windows on: none is named, or the X display named cannot be reached.
// The toolkit would end the program on the spot; the window system says so first.
struct NoDisplay : std::runtime_error {
    explicit NoDisplay(std::string display);
    std::string display;  // the X display named, or empty when none is
};

// The desktop window system. It starts the toolkit's application object on first use and owns it;
// argc and argv must outlive the returned object (main's own arguments do). Only one may exist.
// Raises NoDisplay, before the toolkit starts, when it would have no display.
std::unique_ptr<forms::WindowSystem> make_qt_window_system(int& argc, char** argv);

// Installs the desktop window system for the process while it lives; puts back the previous one.
class DesktopSession {
public:
    DesktopSession(int& argc, char** argv);
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;
    forms::WindowSystem& window_system() { return *system_; }

private:
    std::unique_ptr<forms::WindowSystem> system_;
    forms::WindowSystem* previous_;
};

// A document page in a window of the host shell. The page's client area follows the window's size
// (the page's Resize runs); closing the window asks the page, then unloads it. Needs the desktop
// window system installed.
class DocumentWindow {
public:
    DocumentWindow(forms::Form& page, std::u16string_view title);
    ~DocumentWindow();
    DocumentWindow(const DocumentWindow&) = delete;
    DocumentWindow& operator=(const DocumentWindow&) = delete;

    // Loads the page and shows the window.
    void show();
    // Runs the event loop until the window has closed. An exception that escapes the page's code
    // (a click handler, Resize) closes the window and comes out of here.
    void run();
    bool is_open() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Shows page in a document window and runs until the user closes it; returns 0. An exception from
// the page's code closes the window and comes out of here.
int run_document_window(forms::Form& page, std::u16string_view title);

}  // namespace gui
