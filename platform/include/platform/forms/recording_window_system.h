// A window system for tests: records every message box, modal show, repaint and unload, in order.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/headless_window_system.h"

namespace forms {

class RecordingWindowSystem : public HeadlessWindowSystem {
public:
    struct Message {
        std::u16string prompt;
        int style;
        std::u16string caption;
    };
    int message_box(std::u16string_view prompt, int style, std::u16string_view caption) override;
    void show_modal(Form& form) override;
    void unload(Form& form) override;
    void refresh(Form& form) override;
    int screen_width() override { return width; }
    int screen_height() override { return height; }

    std::vector<Message> messages;
    // One line per event: "show <form>", "refresh <form>", "unload <form>", "message <text>".
    std::vector<std::string> events;
    int width = 1024 * 15, height = 768 * 15;
    // Called during every message box, with the box's index; lets a test act while it is up.
    std::function<void(std::size_t)> on_message;
};

// Installs a recorder for the lifetime of a scope, and puts back what was there before.
class ScopedRecorder {
public:
    ScopedRecorder() : previous_(set_window_system(&recorder)) {}
    ~ScopedRecorder() { set_window_system(previous_); }
    RecordingWindowSystem recorder;

private:
    WindowSystem* previous_;
};

}  // namespace forms
