#include "platform/forms/recording_window_system.h"

#include "com/utf.h"
#include "platform/forms/console_window_system.h"

namespace forms {

int RecordingWindowSystem::message_box(std::u16string_view prompt, int style, std::u16string_view caption) {
    messages.push_back({std::u16string(prompt), style, std::u16string(caption)});
    events.push_back("message " + utf8(prompt));
    if (on_message) on_message(messages.size() - 1);
    return default_button(style);
}

void RecordingWindowSystem::show_modal(Form& form) {
    events.push_back("show " + form.name());
    HeadlessWindowSystem::show_modal(form);
}

void RecordingWindowSystem::unload(Form& form) {
    events.push_back("unload " + form.name());
    HeadlessWindowSystem::unload(form);
}

void RecordingWindowSystem::refresh(Form& form) { events.push_back("refresh " + form.name()); }

}  // namespace forms
