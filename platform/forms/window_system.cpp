#include "platform/forms/window_system.h"

#include "platform/forms/console_window_system.h"
#include "window_system_slot.h"

namespace forms {
namespace {

WindowSystem*& installed() { return window_system_slot(); }

}  // namespace

WindowSystem& window_system() {
    // Without a window system of its own, a program talks through the console.
    static ConsoleWindowSystem console;
    WindowSystem* system = installed();
    return system ? *system : console;
}

WindowSystem* set_window_system(WindowSystem* system) {
    WindowSystem* previous = installed();
    installed() = system;
    return previous;
}

int MsgBox(std::u16string_view prompt, int style, std::optional<std::u16string_view> caption) {
    return window_system().message_box(prompt, style, caption.value_or(kDefaultCaption));
}

void Unload(Form& form) { window_system().unload(form); }

}  // namespace forms
