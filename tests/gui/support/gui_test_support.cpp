#include "gui/support/gui_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
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

std::filesystem::path save_screenshot(QWidget* widget, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(PATHMENDER_BUILD_DIR) / "screenshots";
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / (name + ".png");
    EXPECT_TRUE(widget->grab().save(QString::fromStdString(path.string()), "PNG")) << path;
    return path;
}

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace gui_test
