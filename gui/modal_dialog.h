// The window of a form shown modally. It activates the form once, after it has first been shown
// and painted; a close asked by the user goes through the form, which may refuse it.
#pragma once

#include <QDialog>

#include "platform/forms/form.h"

namespace gui {

class ModalDialog final : public QDialog {
public:
    explicit ModalDialog(forms::Form& form);
    // The program's Unload: closes the window without asking the form.
    void unload();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // the Escape key

private:
    bool close_allowed();

    forms::Form& form_;
    bool closing_ = false;
    bool shown_ = false;
};

}  // namespace gui
