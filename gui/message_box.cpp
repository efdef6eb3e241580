#include "gui/message_box.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "gui/model_calls.h"
#include "gui/qt_text.h"
#include "platform/forms/console_window_system.h"

namespace gui {
namespace {

struct Button {
    QMessageBox::StandardButton button;
    int code;
};

std::vector<Button> buttons_of(int style) {
    constexpr Button ok{QMessageBox::Ok, 1}, cancel{QMessageBox::Cancel, 2}, abort{QMessageBox::Abort, 3},
        retry{QMessageBox::Retry, 4}, ignore{QMessageBox::Ignore, 5}, yes{QMessageBox::Yes, 6},
        no{QMessageBox::No, 7};
    switch (style & 7) {
    case 1: return {ok, cancel};
    case 2: return {abort, retry, ignore};
    case 3: return {yes, no, cancel};
    case 4: return {yes, no};
    case 5: return {retry, cancel};
    default: return {ok};
    }
}

QMessageBox::Icon icon_of(int style) {
    switch (style & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

int show_message_box(std::u16string_view prompt, int style, std::u16string_view caption, QWidget* parent) {
    QMessageBox box(icon_of(style), to_qt(caption), to_qt(prompt), QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    const std::vector<Button> buttons = buttons_of(style);
    std::vector<QPushButton*> pushes;
    for (const Button& b : buttons) pushes.push_back(box.addButton(b.button));
    const std::size_t first = std::size_t((style >> 8) & 3);
    box.setDefaultButton(pushes[first < pushes.size() ? first : 0]);
    // Escape, and the close box, answer Cancel when there is one, and OK when it is the only button.
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].code == forms::vbCancel || buttons.size() == 1) box.setEscapeButton(pushes[i]);

    QEventLoop loop;
    QObject::connect(&box, &QMessageBox::finished, &loop, &QEventLoop::quit);
    box.show();
    run_loop(loop);

    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == pushes[i]) return buttons[i].code;
    // Ended without a button (its loop ended by a failure): what Enter would have answered.
    return forms::default_button(style);
}

}  // namespace gui
