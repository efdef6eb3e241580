#include "gui/qt_window_system.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "com/error.h"
#include "gui/desktop.h"
#include "gui/form_view.h"
#include "gui/message_box.h"
#include "gui/modal_dialog.h"
#include "gui/model_calls.h"

namespace gui {
namespace {

QtWindowSystem*& the_system() {
    static QtWindowSystem* system = nullptr;
    return system;
}

// How often the host's calls between records let paint through, and how long a refresh waits for
// the window manager to put a new window on the screen.
constexpr qint64 kPaintInterval = 50;
constexpr int kExposeWait = 2000;

QSize screen_size() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

// Delivers what the window system has sent (exposes, the window manager's moves, paint requests),
// but no user input; nothing of it calls into the forms.
void deliver_all_but_input(QEventLoop::ProcessEventsFlags more = {}) {
    PaintingOnly painting;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | more);
}

// A window shown is mapped by the window manager some time later, and exposed after that: until
// it is, nothing drawn in it reaches the screen. Waits for that, a bounded time.
void wait_until_exposed(QWindow& window) {
    const QDeadlineTimer deadline(kExposeWait);
    QTimer wake;  // so that the wait below ends on time though nothing comes
    wake.start(10);
    while (!window.isExposed() && !deadline.hasExpired()) deliver_all_but_input(QEventLoop::WaitForMoreEvents);
}

bool is_set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

// The toolkit aborts the program when it finds no display. A platform named in QT_QPA_PLATFORM, or
// a Wayland display, is taken as it stands; an X display must accept a connection.
void check_display() {
    if (is_set("QT_QPA_PLATFORM") || is_set("WAYLAND_DISPLAY")) return;
    if (!is_set("DISPLAY")) throw NoDisplay("");
    const std::string display = std::getenv("DISPLAY");
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool reached = !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    if (!reached) throw NoDisplay(display);
}

}  // namespace

NoDisplay::NoDisplay(std::string display)
    : std::runtime_error(display.empty() ? "no display to show windows on"
                                         : "the display " + display + " cannot be reached"),
      display(std::move(display)) {}

QtWindowSystem::QtWindowSystem(int& argc, char** argv) {
    if (the_system()) throw std::logic_error("a desktop window system exists already");
    if (!QApplication::instance()) {
        check_display();
        application_ = std::make_unique<QApplication>(argc, argv);
    }
    // Windows come and go with the forms' code; only the document window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    the_system() = this;
}

QtWindowSystem::~QtWindowSystem() { the_system() = nullptr; }

QtWindowSystem* QtWindowSystem::current() { return the_system(); }

int QtWindowSystem::message_box(std::u16string_view prompt, int style, std::u16string_view caption) {
    // The windows behind the box show what the form's code has done so far.
    sync_all();
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    if (!parent && !windows_.empty() && windows_.back().window->isVisible()) parent = windows_.back().window;
    const int result = show_message_box(prompt, style, caption, parent);
    sync_all();
    rethrow_model_failure();
    return result;
}

void QtWindowSystem::show_modal(forms::Form& form) {
    if (form.loaded()) raise_standard_error(RuntimeError::FormAlreadyDisplayed);
    form.load();
    if (!form.loaded()) return;  // Form_Load unloaded it

    ModalDialog dialog(form);
    FormView view(form, &dialog, [this] { sync_all(); });
    add_window({&form, &dialog, &view, [&dialog] { dialog.unload(); }});
    // The form's own position: its code (Form_Load) may have placed it.
    dialog.move(to_pixels(form.Left), to_pixels(form.Top));

    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    dialog.show();
    run_loop(loop);

    remove_window(form);
    // A loop ended by a failure leaves the form loaded; it goes away with its window.
    if (form.loaded()) form.mark_unloaded();
    dialog.hide();
    rethrow_model_failure();
}

void QtWindowSystem::unload(forms::Form& form) {
    if (const OpenWindow* window = find_window(form)) {
        auto close = window->close;
        close();
    }
    form.mark_unloaded();
}

void QtWindowSystem::refresh(forms::Form& form) {
    const OpenWindow* window = find_window(form);
    if (!window) return;
    QWidget* widget = window->window;
    window->view->sync();
    // The form's code keeps the thread after this (a whole update run): the window must be on the
    // screen, drawn, before this returns.
    if (QWindow* handle = widget->windowHandle(); handle && widget->isVisible()) wait_until_exposed(*handle);
    deliver_all_but_input();
    widget->repaint();
    QGuiApplication::sync();  // the drawing has reached the display
    since_painting_.start();
}

void QtWindowSystem::let_paint_through() {
    if (since_painting_.isValid() && since_painting_.elapsed() < kPaintInterval) return;
    since_painting_.start();
    deliver_all_but_input();
}

int QtWindowSystem::screen_width() { return screen_size().width() * kTwipsPerPixel; }
int QtWindowSystem::screen_height() { return screen_size().height() * kTwipsPerPixel; }

void QtWindowSystem::add_window(const OpenWindow& window) { windows_.push_back(window); }

void QtWindowSystem::remove_window(const forms::Form& form) {
    std::erase_if(windows_, [&](const OpenWindow& w) { return w.form == &form; });
}

const QtWindowSystem::OpenWindow* QtWindowSystem::find_window(const forms::Form& form) const {
    for (const OpenWindow& w : windows_)
        if (w.form == &form) return &w;
    return nullptr;
}

void QtWindowSystem::sync_all() {
    for (const OpenWindow& w : windows_) w.view->sync();
}

}  // namespace gui
