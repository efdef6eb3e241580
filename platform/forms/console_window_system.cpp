#include "platform/forms/console_window_system.h"

#include "com/utf.h"

namespace forms {

int default_button(int style) {
    // Each style's buttons in order; +256 or +512 makes the second or third the default, and one
    // beyond the buttons there are leaves the first.
    struct Buttons {
        int count;
        int codes[3];
    };
    static constexpr Buttons kButtons[] = {
        {1, {vbOK}},
        {2, {vbOK, vbCancel}},
        {3, {3, 4, 5}},  // Abort, Retry, Ignore
        {3, {vbYes, vbNo, vbCancel}},
        {2, {vbYes, vbNo}},
        {2, {4, vbCancel}},  // Retry, Cancel
    };
    const Buttons& buttons = kButtons[(style & 7) < 6 ? style & 7 : 0];
    const int which = (style >> 8) & 3;
    return buttons.codes[which < buttons.count ? which : 0];
}

int ConsoleWindowSystem::message_box(std::u16string_view prompt, int style, std::u16string_view caption) {
    std::fprintf(out_, "[%s] %s\n", utf8(caption).c_str(), utf8(prompt).c_str());
    std::fflush(out_);
    return default_button(style);
}

}  // namespace forms
