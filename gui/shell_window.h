// The host shell's window around a document page: the page fills its central area, follows the
// window's size, and is asked before the window closes.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "platform/forms/form.h"

namespace gui {

class FormView;

class ShellWindow final : public QMainWindow {
public:
    ShellWindow(forms::Form& page, const QString& title);
    ~ShellWindow() override;

    QWidget* client() const { return client_; }
    FormView& view() const { return *view_; }
    // The program's Unload of the page: closes the window without asking the page.
    void unload();
    // Runs once the window has closed.
    std::function<void()> on_closed;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The page's Resize for the client area's size; later, when the page's code holds the thread.
    void resize_page();

    forms::Form& page_;
    QWidget* client_;
    std::unique_ptr<FormView> view_;
    bool closing_ = false;
    bool resize_waiting_ = false;
};

}  // namespace gui
