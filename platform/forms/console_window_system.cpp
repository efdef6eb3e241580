#include "platform/forms/console_window_system.h"

#include "com/utf.h"

namespace forms {

int default_button(int style) {
    switch (style & 7) {
    case 1: return vbOK;     // OK, Cancel
    case 2: return 3;        // Abort, Retry, Ignore
    case 3:                  // Yes, No, Cancel
    case 4: return vbYes;    // Yes, No
    case 5: return 4;        // Retry, Cancel
    default: return vbOK;
    }
}

int ConsoleWindowSystem::message_box(std::u16string_view prompt, int style, std::u16string_view caption) {
    std::fprintf(out_, "[%s] %s\n", utf8(caption).c_str(), utf8(prompt).c_str());
    std::fflush(out_);
    return default_button(style);
}

}  // namespace forms
