// Message boxes on the desktop: the style's icon and buttons, the platform's code of the button the
// user pressed, and the text drawn. (What every window system does is the contract's.)
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "gui/support/gui_test_support.h"
#include "platform/forms/window_system.h"

namespace {

bool is_message_box(QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }

struct Seen {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton default_button = QMessageBox::NoButton;
};

// Shows a box and, once it is up, notes what it shows and presses press.
int answer(int style, QMessageBox::StandardButton press, Seen& seen) {
    gui_test::when_modal(is_message_box, [&](QWidget* w) {
        auto* box = static_cast<QMessageBox*>(w);
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons()) seen.buttons.push_back(box->standardButton(b));
        std::sort(seen.buttons.begin(), seen.buttons.end());
        if (box->defaultButton()) seen.default_button = box->standardButton(box->defaultButton());
        QAbstractButton* button = box->button(press);
        ASSERT_NE(button, nullptr);
        button->click();
    });
    return forms::window_system().message_box(u"Something to say", style, u"Pathmender Host");
}

TEST(MessageBox, ShowsTheStylesIconAndButtonsAndReturnsThePressedOnesCode) {
    using B = QMessageBox;
    struct Case {
        int style;
        QMessageBox::Icon icon;
        std::vector<QMessageBox::StandardButton> buttons;
        QMessageBox::StandardButton press;
        int code;
    } cases[] = {
        {0, B::NoIcon, {B::Ok}, B::Ok, 1},
        {64, B::Information, {B::Ok}, B::Ok, 1},
        {48, B::Warning, {B::Ok}, B::Ok, 1},
        {16 + 1, B::Critical, {B::Ok, B::Cancel}, B::Cancel, 2},
        {32 + 1, B::Question, {B::Ok, B::Cancel}, B::Ok, 1},
        {2, B::NoIcon, {B::Abort, B::Retry, B::Ignore}, B::Abort, 3},
        {2, B::NoIcon, {B::Abort, B::Retry, B::Ignore}, B::Retry, 4},
        {2, B::NoIcon, {B::Abort, B::Retry, B::Ignore}, B::Ignore, 5},
        {32 + 3, B::Question, {B::Yes, B::No, B::Cancel}, B::Cancel, 2},
        {32 + 4, B::Question, {B::Yes, B::No}, B::Yes, 6},
        {32 + 4, B::Question, {B::Yes, B::No}, B::No, 7},
        {5, B::NoIcon, {B::Retry, B::Cancel}, B::Retry, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style) + ", pressing " + std::to_string(c.code));
        Seen seen;
        EXPECT_EQ(answer(c.style, c.press, seen), c.code);
        EXPECT_EQ(seen.icon, c.icon);
        auto expected = c.buttons;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(seen.buttons, expected);
        EXPECT_EQ(seen.default_button, c.buttons.front());
    }
}

TEST(MessageBox, EscapeAnswersCancelOrTheOnlyButton) {
    for (auto [style, code] : {std::pair(1, 2), std::pair(3, 2), std::pair(64, 1)}) {
        gui_test::when_modal(is_message_box, [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        EXPECT_EQ(forms::window_system().message_box(u"Escape?", style, u"Caption"), code) << style;
    }
}

// The text is drawn: pixels of another colour than the box's inside the text's place.
TEST(MessageBox, DrawsItsText) {
    int drawn = -1, area = 0;
    gui_test::when_modal(is_message_box, [&](QWidget* w) {
        auto* label = w->findChild<QLabel*>("qt_msgbox_label");
        ASSERT_NE(label, nullptr);
        const QRect place(label->mapTo(w, QPoint(0, 0)), label->size());
        area = place.width() * place.height();
        drawn = gui_test::drawn_pixels(w, place, w->palette().color(QPalette::Window));
        static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
    });
    forms::MsgBox(u"Please specify a valid server name (e.g. \\\\MyPreviousServer)", 64, u"Pathmender Host");
    EXPECT_GT(drawn, 200) << "of " << area;
    EXPECT_LT(drawn, area / 2);  // text, not a filled block
}

}  // namespace
