#include "gui/desktop.h"

#include <QEventLoop>
#include <stdexcept>

#include "gui/form_view.h"
#include "gui/model_calls.h"
#include "gui/qt_text.h"
#include "gui/qt_window_system.h"
#include "gui/shell_window.h"

namespace gui {

std::unique_ptr<forms::WindowSystem> make_qt_window_system(int& argc, char** argv) {
    return std::make_unique<QtWindowSystem>(argc, argv);
}

DesktopSession::DesktopSession(int& argc, char** argv)
    : system_(make_qt_window_system(argc, argv)), previous_(forms::set_window_system(system_.get())) {}

DesktopSession::~DesktopSession() { forms::set_window_system(previous_); }

struct DocumentWindow::Impl {
    forms::Form& page;
    QtWindowSystem& system;
    ShellWindow window;
    QEventLoop* loop = nullptr;
    bool open = false;

    Impl(forms::Form& page, QtWindowSystem& system, const QString& title)
        : page(page), system(system), window(page, title) {}

    void closed() {
        open = false;
        system.remove_window(page);
        if (loop) loop->quit();
    }
};

namespace {

QtWindowSystem& desktop_system() {
    QtWindowSystem* system = QtWindowSystem::current();
    if (!system) throw std::logic_error("a document window needs the desktop window system");
    return *system;
}

}  // namespace

DocumentWindow::DocumentWindow(forms::Form& page, std::u16string_view title)
    : impl_(std::make_unique<Impl>(page, desktop_system(), to_qt(title.empty() ? page.Caption : title))) {
    impl_->window.on_closed = [impl = impl_.get()] { impl->closed(); };
}

DocumentWindow::~DocumentWindow() {
    if (!impl_->open) return;
    impl_->system.remove_window(impl_->page);
    impl_->page.mark_unloaded();  // its window goes now
}

void DocumentWindow::show() {
    if (impl_->open) return;
    impl_->page.load();
    Impl* impl = impl_.get();
    impl->system.add_window({&impl->page, &impl->window, &impl->window.view(), [impl] { impl->window.unload(); }});
    impl->open = true;
    impl->window.view().sync();
    impl->window.show();
}

void DocumentWindow::run() {
    if (!impl_->open) show();
    QEventLoop loop;
    impl_->loop = &loop;
    run_loop(loop);
    impl_->loop = nullptr;
    if (impl_->open) {
        // The loop ended on a failure of the page's code: the window goes with it.
        impl_->window.unload();
    }
    rethrow_model_failure();
}

bool DocumentWindow::is_open() const { return impl_->open; }

int run_document_window(forms::Form& page, std::u16string_view title) {
    DocumentWindow window(page, title);
    window.show();
    window.run();
    return 0;
}

}  // namespace gui
