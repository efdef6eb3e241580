// The platform's message box drawn as a modal QMessageBox: the style's icon and buttons, and the
// platform's code of the button pressed.
#pragma once

#include <string_view>

class QWidget;

namespace gui {

// style: buttons (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No,
// 5 Retry/Cancel) + icon (16 critical, 32 question, 48 exclamation, 64 information) + default
// button (0, 256, 512: the first, second or third). Returns 1 OK, 2 Cancel, 3 Abort, 4 Retry,
// 5 Ignore, 6 Yes or 7 No.
int show_message_box(std::u16string_view prompt, int style, std::u16string_view caption, QWidget* parent);

}  // namespace gui
