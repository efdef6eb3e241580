#include "gui/shell_window.h"

#include <QCloseEvent>
#include <QTimer>
#include <utility>

#include "gui/form_view.h"
#include "gui/model_calls.h"
#include "gui/qt_window_system.h"

namespace gui {
namespace {

void sync_everything(FormView& fallback) {
    if (auto* system = QtWindowSystem::current()) system->sync_all();
    else fallback.sync();
}

}  // namespace

ShellWindow::ShellWindow(forms::Form& page, const QString& title) : page_(page), client_(new QWidget(this)) {
    setObjectName("shell");
    setWindowTitle(title);
    client_->setObjectName(QString::fromStdString(page.name()));
    setCentralWidget(client_);
    view_ = std::make_unique<FormView>(page, client_, [this] { sync_everything(*view_); });
    // The page's design size, until the user resizes the window.
    client_->resize(to_pixels(page.ScaleWidth), to_pixels(page.ScaleHeight));
    resize(to_pixels(page.ScaleWidth), to_pixels(page.ScaleHeight));
    client_->installEventFilter(this);
}

ShellWindow::~ShellWindow() {
    client_->removeEventFilter(this);
    view_.reset();  // before the widgets it watches
}

void ShellWindow::unload() {
    closing_ = true;
    close();
}

bool ShellWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) resize_page();
    return QMainWindow::eventFilter(watched, event);
}

void ShellWindow::resize_page() {
    if (painting_only()) {
        // The window manager resized the window during a run: the page lays itself out after it.
        if (!std::exchange(resize_waiting_, true))
            QTimer::singleShot(0, this, [this] {
                resize_waiting_ = false;
                resize_page();
            });
        return;
    }
    const QSize size = client_->size();
    // The page's Resize lays out its elastic container; the widgets then follow the model.
    call_model([&] { page_.resize_client(size.width() * kTwipsPerPixel, size.height() * kTwipsPerPixel); });
    sync_everything(*view_);
}

void ShellWindow::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        bool allowed = false;
        call_model([&] { allowed = page_.request_close(); });
        if (!allowed) {
            event->ignore();
            return;
        }
        closing_ = true;
    }
    page_.mark_unloaded();
    event->accept();
    if (on_closed) on_closed();
}

}  // namespace gui
