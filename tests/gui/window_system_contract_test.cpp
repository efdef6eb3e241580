// The window-system contract, run against the desktop window system the program installed.
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include "gui/qt_window_system.h"
#include "gui/support/gui_test_support.h"
#include "support/window_system_contract.h"

namespace {

class Desktop {
public:
    forms::WindowSystem& system() { return forms::window_system(); }
    // Presses Enter on the next message box, noting what it shows: its text as written only when
    // it is shown as plain text, not read as markup.
    void answer_next_box() {
        gui_test::when_modal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
                             [this](QWidget* w) {
                                 auto* box = static_cast<QMessageBox*>(w);
                                 shown_ = {box->windowTitle().toStdU16String(), box->text().toStdU16String()};
                                 if (box->textFormat() != Qt::PlainText) shown_.prompt.insert(0, u"(markup) ");
                                 QTest::keyClick(box, Qt::Key_Enter);
                             });
    }
    ShownBox last_box() const { return shown_; }
    bool window_left_open(const forms::Form& form) {
        return gui::QtWindowSystem::current()->find_window(form) || QApplication::activeModalWidget();
    }

private:
    ShownBox shown_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowSystemContract, Desktop);

}  // namespace
