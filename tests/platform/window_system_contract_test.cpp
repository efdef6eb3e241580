// The window-system contract, run against the console and the recorder (and through them the
// headless model both are built on).
#include <cstdio>

#include "com/utf.h"
#include "platform/forms/console_window_system.h"
#include "platform/forms/recording_window_system.h"
#include "support/window_system_contract.h"

namespace {

// What the two share: no one to ask, so every box is answered as Enter would answer it, and no
// windows, only models.
struct Headless {
    void answer_next_box() {}
    bool window_left_open(const forms::Form&) { return false; }
};

class Console : public Headless {
public:
    ~Console() {
        forms::set_window_system(previous_);
        std::fclose(out_);
    }
    forms::WindowSystem& system() { return system_; }
    // The one line "[caption] text" printed since the last look.
    ShownBox last_box() {
        std::string printed(4096, '\0');
        std::fseek(out_, read_, SEEK_SET);
        printed.resize(std::fread(printed.data(), 1, printed.size(), out_));
        read_ += long(printed.size());
        const std::size_t close = printed.find("] ");
        if (!printed.starts_with("[") || close == std::string::npos || printed.find('\n') != printed.size() - 1)
            return {u"(not one line)", utf16(printed)};
        return {utf16(printed.substr(1, close - 1)), utf16(printed.substr(close + 2, printed.size() - close - 3))};
    }

private:
    std::FILE* out_ = std::tmpfile();
    long read_ = 0;
    forms::ConsoleWindowSystem system_{out_};
    forms::WindowSystem* previous_ = forms::set_window_system(&system_);
};

class Recorder : public Headless {
public:
    forms::WindowSystem& system() { return windows_.recorder; }
    ShownBox last_box() {
        const auto& messages = windows_.recorder.messages;
        if (messages.empty()) return {};
        return {messages.back().caption, messages.back().prompt};
    }

private:
    forms::ScopedRecorder windows_;
};

using PlatformWindowSystems = ::testing::Types<Console, Recorder>;
INSTANTIATE_TYPED_TEST_SUITE_P(Platform, WindowSystemContract, PlatformWindowSystems);

}  // namespace
