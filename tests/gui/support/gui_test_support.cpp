#include "gui/support/gui_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace gui_test {

std::unique_ptr<forms::Form> form_from_resources(const std::string& file_name) {
    std::ifstream in(std::filesystem::path(PATHMENDER_SOURCE_DIR) / "resources" / file_name, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the layout " + file_name);
    std::ostringstream text;
    text << in.rdbuf();
    return forms::Form::from_layout(text.str());
}

QWidget* widget_named(const QWidget* root, const std::string& name) {
    auto* widget = root->findChild<QWidget*>(QString::fromStdString(name));
    EXPECT_NE(widget, nullptr) << "no widget for " << name;
    return widget;
}

namespace {

void poll_for_modal(std::function<bool(QWidget*)> accept, std::function<void(QWidget*)> act, int turns_left) {
    QTimer::singleShot(0, [accept = std::move(accept), act = std::move(act), turns_left]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && accept(modal)) return act(modal);
        if (turns_left == 0) {
            ADD_FAILURE() << "the expected modal window never appeared";
            return;
        }
        poll_for_modal(std::move(accept), std::move(act), turns_left - 1);
    });
}

}  // namespace

void when_modal(std::function<bool(QWidget*)> accept, std::function<void(QWidget*)> act) {
    // Counted turns of the event loop, not time: the window opens within a few of them.
    poll_for_modal(std::move(accept), std::move(act), 10000);
}

QWidget* shell_window() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "shell" && w->isVisible()) return w;
    return nullptr;
}

int drawn_pixels(QWidget* widget, const QRect& area, const QColor& background) {
    const QImage image = widget->grab().toImage();
    int drawn = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != background) ++drawn;
    return drawn;
}

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace gui_test
