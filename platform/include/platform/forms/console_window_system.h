// The console: every message box is one line on standard output, "[caption] text", answered OK.
#pragma once

#include <cstdio>

#include "platform/forms/headless_window_system.h"

namespace forms {

class ConsoleWindowSystem : public HeadlessWindowSystem {
public:
    explicit ConsoleWindowSystem(std::FILE* out = stdout) : out_(out) {}
    int message_box(std::u16string_view prompt, int style, std::u16string_view caption) override;

private:
    std::FILE* out_;
};

// The button a message box's style makes the default, which is what answering with Enter presses.
int default_button(int style);

}  // namespace forms
