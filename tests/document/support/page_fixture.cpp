#include "document/support/page_fixture.h"

void PageFixture::press_update(udPathmender& page, std::u16string_view typed) {
    auto& previous = control<forms::TextBox>(page, "txtPrevious");
    previous.set_Text(u"");
    previous.SetFocus();
    previous.type(typed);
    control<forms::CommandButton>(page, "cmdUpdate").press();
}
