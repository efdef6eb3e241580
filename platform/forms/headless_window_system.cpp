#include "platform/forms/headless_window_system.h"

#include "com/error.h"

namespace forms {

void HeadlessWindowSystem::show_modal(Form& form) {
    if (form.loaded()) raise_standard_error(RuntimeError::FormAlreadyDisplayed);
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
        raise_error(RuntimeError::InvalidProcedureCall,
                    u"The window \"" + form.Caption + u"\" stayed open with no one to close it");
    }
}

void HeadlessWindowSystem::unload(Form& form) { form.mark_unloaded(); }

}  // namespace forms
