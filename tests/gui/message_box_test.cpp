// Message boxes: the style's icon and buttons, the caption and text, and the platform's code of the
// button the user pressed.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "gui/support/gui_test_support.h"
#include "platform/forms/window_system.h"

namespace {

bool is_message_box(QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }

struct Seen {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption, text;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton default_button = QMessageBox::NoButton;
};

// Shows a box and, once it is up, notes what it shows and presses press.
int answer(int style, QMessageBox::StandardButton press, Seen& seen, std::u16string_view caption = u"Pathmender Host") {
    gui_test::when_modal(is_message_box, [&](QWidget* w) {
        auto* box = static_cast<QMessageBox*>(w);
        seen.icon = box->icon();
        seen.caption = box->windowTitle();
        seen.text = box->text();
        for (QAbstractButton* b : box->buttons()) seen.buttons.push_back(box->standardButton(b));
        std::sort(seen.buttons.begin(), seen.buttons.end());
        if (box->defaultButton()) seen.default_button = box->standardButton(box->defaultButton());
        QAbstractButton* button = box->button(press);
        ASSERT_NE(button, nullptr);
        button->click();
    });
    return forms::window_system().message_box(u"Something to say", style, caption);
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
        EXPECT_EQ(seen.caption, "Pathmender Host");
        EXPECT_EQ(seen.text, "Something to say");
    }
}

TEST(MessageBox, TheDefaultButtonFollowsTheStyle) {
    Seen seen;
    answer(3 + 256, QMessageBox::No, seen);
    EXPECT_EQ(seen.default_button, QMessageBox::No);
    Seen third;
    answer(3 + 512, QMessageBox::Cancel, third);
    EXPECT_EQ(third.default_button, QMessageBox::Cancel);
}

TEST(MessageBox, EscapeAnswersCancelOrTheOnlyButton) {
    for (auto [style, code] : {std::pair(1, 2), std::pair(3, 2), std::pair(64, 1)}) {
        gui_test::when_modal(is_message_box, [](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        EXPECT_EQ(forms::window_system().message_box(u"Escape?", style, u"Caption"), code) << style;
    }
}

TEST(MessageBox, WithoutACaptionShowsTheDefaultOne) {
    QString caption;
    gui_test::when_modal(is_message_box, [&](QWidget* w) {
        caption = w->windowTitle();
        static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(forms::MsgBox(u"No caption here", 48), 1);
    EXPECT_EQ(caption.toStdU16String(), forms::kDefaultCaption);
}

TEST(MessageBox, TextIsShownAsWrittenNotAsMarkup) {
    QString text;
    gui_test::when_modal(is_message_box, [&](QWidget* w) {
        auto* box = static_cast<QMessageBox*>(w);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    forms::MsgBox(u"<b>not bold</b> & \\\\Server", 64, u"Caption");
    EXPECT_EQ(text, "<b>not bold</b> & \\\\Server");
}

TEST(MessageBox, Screenshot) {
    gui_test::when_modal(is_message_box, [](QWidget* w) {
        gui_test::save_screenshot(w, "message_box");
        static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
    });
    forms::MsgBox(u"Please specify a valid server name (e.g. \\\\MyPreviousServer)", 64, u"Pathmender Host");
}

}  // namespace
