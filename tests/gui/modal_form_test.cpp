// A form shown modally on the desktop, as the progress window is: its window as the layout draws it,
// placed where its Form_Load puts it, closed by the user only when the form lets it. (What every
// window system does is the contract's.)
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "gui/support/gui_test_support.h"
#include "platform/forms/window_system.h"

namespace {

// The progress window's layout with the progress window's own placement: centred on the screen.
class ProgressLikeForm : public testing::Test {
protected:
    void SetUp() override {
        form = gui_test::form_from_resources("frmProgress.layout");
        form->Form_Load = [this] {
            auto& ws = forms::window_system();
            form->Left = int(float(ws.screen_width()) / 2 - float(form->Width) / 2);
            form->Top = int(float(ws.screen_height()) / 2 - float(form->Height) / 2);
        };
    }
    QDialog* dialog() { return qobject_cast<QDialog*>(QApplication::activeModalWidget()); }

    std::unique_ptr<forms::Form> form;
};

// Placed by its Form_Load at the centre of the screen, which the window system measures in twips.
TEST_F(ProgressLikeForm, TheWindowShowsTheLayoutAtTheFormsPlace) {
    QRect frame;
    form->Form_Activate = [&] {
        QDialog* seen = dialog();
        ASSERT_NE(seen, nullptr);
        EXPECT_TRUE(seen->isVisible());
        EXPECT_EQ(seen->windowTitle(), "Searching for files");
        EXPECT_EQ(seen->size(), QSize(304, 46));
        auto* message = seen->findChild<QLabel*>("Label1");
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->text(),
                  "This process may take awhile.  Please do not restart your machine at this time.");
        EXPECT_TRUE(message->alignment() & Qt::AlignHCenter);
        EXPECT_EQ(seen->findChild<QWidget*>("oleMedia"), nullptr);  // never visible
        EXPECT_EQ(seen->pos(), QPoint(form->Left / 15, form->Top / 15));
        frame = QRect(seen->pos(), QSize(form->Width / 15, form->Height / 15));
        forms::Unload(*form);
    };
    forms::window_system().show_modal(*form);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(forms::window_system().screen_width(), screen.width() * 15);
    EXPECT_EQ(forms::window_system().screen_height(), screen.height() * 15);
    EXPECT_NEAR(frame.center().x(), screen.width() / 2, 1);
    EXPECT_NEAR(frame.center().y(), screen.height() / 2, 1);
}

TEST_F(ProgressLikeForm, TheUserCannotCloseItWhileTheFormRefuses) {
    bool running = false;
    form->Form_QueryUnload = [&] { return running; };
    form->Form_Activate = [&] {
        running = true;
        QDialog* d = dialog();
        d->close();
        QTest::keyClick(d, Qt::Key_Escape);
        EXPECT_TRUE(d->isVisible());
        EXPECT_TRUE(form->loaded());
        running = false;
        forms::Unload(*form);
    };
    forms::window_system().show_modal(*form);
    EXPECT_FALSE(form->loaded());
}

TEST_F(ProgressLikeForm, TheUserClosingItEndsTheModalShowWhenTheFormAllows) {
    gui_test::when_modal([](QWidget* w) { return qobject_cast<QDialog*>(w) != nullptr; },
                         [](QWidget* w) { w->close(); });
    forms::window_system().show_modal(*form);
    EXPECT_FALSE(form->loaded());
}

TEST_F(ProgressLikeForm, AMessageBoxDuringTheActivationSitsOverTheWindow) {
    QString parent;
    gui_test::when_modal([](QWidget* w) { return w->inherits("QMessageBox"); },
                         [&](QWidget* w) {
                             if (w->parentWidget()) parent = w->parentWidget()->objectName();
                             QTest::keyClick(w, Qt::Key_Enter);
                         });
    form->Form_Activate = [&] {
        EXPECT_EQ(forms::MsgBox(u"All linked media files were updated successfully.", 64, u"Pathmender Host"), 1);
        forms::Unload(*form);
    };
    forms::window_system().show_modal(*form);
    EXPECT_EQ(parent, "frmProgress");
}

}  // namespace
