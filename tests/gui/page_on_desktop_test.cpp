// The real page on the desktop, end to end: the user types a name and presses Update; messages,
// the progress window and the page's state are what the user sees.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "gui/support/desktop_page.h"
#include "gui/support/gui_test_support.h"
#include "support/files.h"

using gui_test::widget_named;

namespace {

// Counts the times a top-level window of that name is shown.
class ShowCounter : public QObject {
public:
    explicit ShowCounter(QString name) : name_(std::move(name)) { qApp->installEventFilter(this); }
    ~ShowCounter() override { qApp->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() && watched->objectName() == name_ &&
            static_cast<QWidget*>(watched)->isWindow())
            ++shown;
        return false;
    }

private:
    QString name_;
};

struct SeenMessage {
    QString text, caption, over;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the next message box with OK, noting what it showed and what it sits over.
void answer_message(SeenMessage& seen) {
    gui_test::when_modal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
                         [&seen](QWidget* w) {
                             auto* box = static_cast<QMessageBox*>(w);
                             seen = {box->text(), box->windowTitle(),
                                     box->parentWidget() ? box->parentWidget()->objectName() : QString(), box->icon()};
                             box->button(QMessageBox::Ok)->click();
                         });
}

class PageOnDesktop : public DesktopPage {
protected:
    void SetUp() override {
        DesktopPage::SetUp();
        write_drives({"Z: \\\\NewServer\\Media"});
    }
    void show() {
        show_page();
        shell = gui_test::shell_window();
        ASSERT_NE(shell, nullptr);
        shell->activateWindow();
        gui_test::settle();
    }
    QWidget* widget(const std::string& name) { return widget_named(shell, name); }
    void type_and_press_update(const QString& name) {
        QTest::mouseClick(widget("txtPrevious"), Qt::LeftButton);
        QTest::keyClicks(widget("txtPrevious"), name);
        QTest::mouseClick(widget("cmdUpdate"), Qt::LeftButton);
    }
    QWidget* shell = nullptr;
};

TEST_F(PageOnDesktop, StartsUpWithItsDrivesAndPicture) {
    show();
    EXPECT_EQ(page->page().get<forms::ComboBox>("cboMapped")->ListCount(), 1);
    auto* combo = widget("cboMapped");
    EXPECT_TRUE(combo->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), widget("txtPrevious"));
}

TEST_F(PageOnDesktop, ARejectedNameShowsItsMessageAndLeavesTheWholeTextSelected) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    show();
    ShowCounter progress("frmProgress");
    SeenMessage seen;
    answer_message(seen);
    type_and_press_update("\\\\Old\\Share");

    EXPECT_EQ(seen.text, "Please specify a valid server name (e.g. \\\\MyPreviousServer)");
    EXPECT_EQ(seen.caption, "Test Host");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(progress.shown, 0);
    auto* edit = qobject_cast<QLineEdit*>(widget("txtPrevious"));
    // The caret is back in the text box of the page's window (active again once the box is gone).
    EXPECT_EQ(shell->focusWidget(), edit);
    shell->activateWindow();
    gui_test::settle();
    EXPECT_EQ(edit->selectedText(), "\\\\Old\\Share");
    EXPECT_EQ(page->page().get<forms::TextBox>("txtPrevious")->SelStart(), 0);
    EXPECT_EQ(page->page().get<forms::TextBox>("txtPrevious")->SelLength(), 11);
    // Typing now replaces the whole name.
    QTest::keyClicks(edit, "\\\\OldServer");
    EXPECT_EQ(page->page().get<forms::TextBox>("txtPrevious")->Text(), u"\\\\OldServer");
}

TEST_F(PageOnDesktop, AnAcceptedNameOpensOneProgressWindowThatClosesItselfAfterTheSummary) {
    database().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    make_network_file("NewServer/Media/a.xls");
    show();
    ShowCounter progress("frmProgress");
    SeenMessage seen;
    answer_message(seen);
    type_and_press_update("\\\\OldServer");

    EXPECT_EQ(progress.shown, 1);
    EXPECT_EQ(seen.text, "Media links have been updated");
    EXPECT_EQ(seen.caption, "Test Host");
    EXPECT_EQ(seen.over, "frmProgress");  // the summary comes while the progress window is up
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(widget("cmdUpdate")->isEnabled());

    auto stored = database().read(u"AP7VENDORMEDIA", 1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(source_doc_of(*stored), u"\\\\NewServer\\Media\\a.xls");
}

TEST_F(PageOnDesktop, WithoutMappedDrivesTheStartUpMessageComesAndUpdateIsOff) {
    write_drives({});
    SeenMessage seen;
    answer_message(seen);
    // The message comes during Initialize, before any window of the page exists.
    page = make_com<udPathmender>();
    page->UserDocument_Initialize();
    EXPECT_EQ(seen.text, "No mapped network drives found.");
    window = std::make_unique<gui::DocumentWindow>(page->page(), u"Test Host");
    window->show();
    gui_test::settle();
    shell = gui_test::shell_window();
    ASSERT_NE(shell, nullptr);
    EXPECT_FALSE(widget("cmdUpdate")->isEnabled());
}

}  // namespace
