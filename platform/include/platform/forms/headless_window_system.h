// What the console and the recorder share: windows that exist only as models. A modal show
// loads the form and activates it once; the form's own code must unload it during that
// activation, since nobody can click anything here.
#pragma once

#include "platform/forms/window_system.h"

namespace forms {

class HeadlessWindowSystem : public WindowSystem {
public:
    void show_modal(Form& form) override;
    void unload(Form& form) override;
    void refresh(Form&) override {}
    void let_paint_through() override {}  // nothing is on a screen
    // A screen of 1024 by 768 pixels.
    int screen_width() override { return 1024 * 15; }
    int screen_height() override { return 768 * 15; }
};

}  // namespace forms
