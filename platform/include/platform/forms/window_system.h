// The window system: message boxes, modal windows, repaint, unload and the screen. The console,
// a recorder for tests and the desktop front end implement it; forms do not know which one runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/forms/form.h"

namespace forms {

// Message-box results.
inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

// The caption of a message box that names none: the program's title.
inline constexpr char16_t kDefaultCaption[] = u"Pathmender";

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Shows a modal message box; style is the platform's buttons + icon value. Returns the button.
    virtual int message_box(std::u16string_view prompt, int style, std::u16string_view caption) = 0;
    // Loads and shows form modally; returns once it has been unloaded.
    virtual void show_modal(Form& form) = 0;
    // Unloads a form (its window goes away; a modal show of it returns).
    virtual void unload(Form& form) = 0;
    // Repaints a form at once: once it returns, the form's window is on the screen, drawn.
    virtual void refresh(Form& form) = 0;
    // Called by the host between the steps of code that keeps the thread for long (a run, between
    // two records): the windows on the screen repaint what needs it, while no user input is taken
    // and no form's code runs. Cheap enough to call at every step.
    virtual void let_paint_through() = 0;
    // The screen's size in twips.
    virtual int screen_width() = 0;
    virtual int screen_height() = 0;
};

WindowSystem& window_system();
// Installs the window system for the process; returns the one it replaces.
WindowSystem* set_window_system(WindowSystem* system);

// Installs a window system for as long as it lives, then puts back the one it replaced.
class WindowSystemInstalled {
public:
    explicit WindowSystemInstalled(WindowSystem& system) : replaced_(set_window_system(&system)) {}
    ~WindowSystemInstalled() { set_window_system(replaced_); }
    WindowSystemInstalled(const WindowSystemInstalled&) = delete;
    WindowSystemInstalled& operator=(const WindowSystemInstalled&) = delete;

private:
    WindowSystem* replaced_;
};

// The platform's MsgBox: no caption means the default caption.
int MsgBox(std::u16string_view prompt, int style = 0, std::optional<std::u16string_view> caption = std::nullopt);
// Unload of a form, through the window system.
void Unload(Form& form);

}  // namespace forms
