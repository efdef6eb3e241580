#include "gui/modal_dialog.h"

#include <QCloseEvent>
#include <QTimer>
#include <utility>

#include "gui/form_view.h"
#include "gui/model_calls.h"
#include "gui/qt_text.h"
#include "gui/qt_window_system.h"

namespace gui {

ModalDialog::ModalDialog(forms::Form& form)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      form_(form) {
    setObjectName(QString::fromStdString(form.name()));
    setWindowTitle(to_qt(form.Caption));
    setFixedSize(to_pixels(form.ScaleWidth), to_pixels(form.ScaleHeight));
    setWindowModality(Qt::ApplicationModal);
}

void ModalDialog::unload() {
    closing_ = true;
    form_.mark_unloaded();
    done(QDialog::Accepted);
}

void ModalDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (std::exchange(shown_, true)) return;
    // Activation waits for the event loop, so the window is on the screen when the form's code runs.
    QTimer::singleShot(0, this, [this] {
        call_model([this] { form_.activate(); });
        if (auto* system = QtWindowSystem::current()) system->sync_all();
    });
}

bool ModalDialog::close_allowed() {
    if (closing_) return true;
    bool allowed = false;
    call_model([&] { allowed = form_.request_close(); });
    if (allowed) {
        closing_ = true;
        form_.mark_unloaded();
    }
    return allowed;
}

void ModalDialog::closeEvent(QCloseEvent* event) {
    if (close_allowed()) QDialog::closeEvent(event);  // ends in reject(), which now lets it go
    else event->ignore();
}

void ModalDialog::reject() {
    if (close_allowed()) QDialog::reject();
}

}  // namespace gui
