#include "platform/forms/headless_window_system.h"

#include "com/error.h"

namespace forms {

void HeadlessWindowSystem::show_modal(Form& form) {
    if (form.loaded()) raise_error(400, u"Form already displayed; can't show modally");
    form.load();
    try {
        form.activate();
    } catch (...) {
        form.mark_unloaded();  // its window would go with the failure
        throw;
    }
    if (form.loaded()) {
        // Nothing could ever close it: take it down rather than hang, and say so.
        form.mark_unloaded();
        raise_error(5, u"The window \"" + form.Caption + u"\" stayed open with no one to close it");
    }
}

void HeadlessWindowSystem::unload(Form& form) { form.mark_unloaded(); }

}  // namespace forms
