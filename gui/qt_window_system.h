// The window system drawn with Qt Widgets: message boxes, modal windows, repaint and unload, and
// the open windows of forms, whose widgets are brought back in line with their models after each
// user input, each message box and each repaint.
#pragma once

#include <QElapsedTimer>
#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/window_system.h"

class QApplication;
class QWidget;

namespace gui {

class FormView;

class QtWindowSystem final : public forms::WindowSystem {
public:
    QtWindowSystem(int& argc, char** argv);
    ~QtWindowSystem() override;
    QtWindowSystem(const QtWindowSystem&) = delete;
    QtWindowSystem& operator=(const QtWindowSystem&) = delete;

    // The one that exists, or null.
    static QtWindowSystem* current();

    int message_box(std::u16string_view prompt, int style, std::u16string_view caption) override;
    void show_modal(forms::Form& form) override;
    void unload(forms::Form& form) override;
    void refresh(forms::Form& form) override;
    // At most every 50 ms: what the screen needs painted (exposes, updates), never user input.
    void let_paint_through() override;
    int screen_width() override;
    int screen_height() override;

    // A window that shows a form: unload and refresh reach it through here.
    struct OpenWindow {
        forms::Form* form;
        QWidget* window;
        FormView* view;
        std::function<void()> close;  // closes it as the program's Unload does
    };
    void add_window(const OpenWindow& window);
    void remove_window(const forms::Form& form);
    const OpenWindow* find_window(const forms::Form& form) const;
    // Every open window's widgets from its model.
    void sync_all();

private:
    std::unique_ptr<QApplication> application_;
    std::vector<OpenWindow> windows_;
    QElapsedTimer since_painting_;  // since paint was last let through
};

}  // namespace gui
