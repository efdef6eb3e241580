// The progress window on the screen for a whole run, which keeps the thread from the first record
// to the last: its message is drawn before the first record and stays drawn, and the page repaints
// what needs it between records. What is looked at is what the window system was given to show
// (the windows' flushed contents), not a new rendering of the widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <functional>

#include "gui/support/desktop_page.h"
#include "gui/support/gui_test_support.h"
#include "platform/forms/window_system.h"

namespace {

// The installed window system, with a look between records: after each let-through, probe runs
// with the number of the step.
class BetweenRecords final : public forms::WindowSystem {
public:
    explicit BetweenRecords(std::function<void(int)> probe)
        : inner_(forms::window_system()), probe_(std::move(probe)), previous_(forms::set_window_system(this)) {}
    ~BetweenRecords() override { forms::set_window_system(previous_); }

    int message_box(std::u16string_view prompt, int style, std::u16string_view caption) override {
        return inner_.message_box(prompt, style, caption);
    }
    void show_modal(forms::Form& form) override { inner_.show_modal(form); }
    void unload(forms::Form& form) override { inner_.unload(form); }
    void refresh(forms::Form& form) override { inner_.refresh(form); }
    void let_paint_through() override {
        inner_.let_paint_through();
        probe_(step_++);
    }
    int screen_width() override { return inner_.screen_width(); }
    int screen_height() override { return inner_.screen_height(); }

private:
    forms::WindowSystem& inner_;
    std::function<void(int)> probe_;
    forms::WindowSystem* previous_;
    int step_ = 0;
};

// The pixels of rect in image that are not background.
int drawn_pixels(const QImage& image, const QRect& rect, QRgb background) {
    int drawn = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.valid(x, y) && image.pixel(x, y) != background) ++drawn;
    return drawn;
}

// What the screen was given of the label, against the label drawn anew: the pixels of its text.
std::pair<int, int> text_pixels_shown_and_drawn(QWidget* label) {
    QWidget* window = label->window();
    const QRgb background = window->palette().color(QPalette::Window).rgb();
    const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
    const QImage drawn = label->grab().toImage();
    return {drawn_pixels(shown, label->geometry(), background), drawn_pixels(drawn, drawn.rect(), background)};
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
    ~PaintCounter() override { widget_->removeEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }

private:
    QWidget* widget_;
};

using PaintingThroughARun = DesktopPage;

TEST_F(PaintingThroughARun, TheMessageStaysDrawnAndThePageRepaintsBetweenRecords) {
    write_drives({"Z: \\\\NewServer\\Media"});
    for (int id = 1; id <= 8; ++id)
        database->insert(u"AP7VENDORMEDIA", id, link_to(u"\\\\OldServer\\Media\\gone" + std::u16string(1, u'0' + id) + u".xls"));
    open_page();
    QWidget* shell = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "shell") shell = w;
    ASSERT_NE(shell, nullptr);

    struct Seen {
        bool exposed = false;
        std::pair<int, int> text_shown_drawn;
        int page_paints = -1;
    };
    std::vector<Seen> seen;
    std::unique_ptr<PaintCounter> page_paints;
    BetweenRecords between([&](int step) {
        QWidget* progress = QApplication::activeModalWidget();
        ASSERT_NE(progress, nullptr);
        ASSERT_EQ(progress->objectName(), "frmProgress");
        auto* label = progress->findChild<QLabel*>("Label1");
        ASSERT_NE(label, nullptr);
        seen.push_back({progress->windowHandle()->isExposed(), text_pixels_shown_and_drawn(label),
                        page_paints ? page_paints->paints : -1});
        if (step == 3) {
            // The page needs painting (as when a window over it goes away), and the next step lets it.
            page_paints = std::make_unique<PaintCounter>(shell);
            shell->update();
            QThread::msleep(60);
        }
    });
    gui_test::when_modal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
                         [](QWidget* w) { static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click(); });
    QTest::mouseClick(gui_test::widget_named(shell, "txtPrevious"), Qt::LeftButton);
    QTest::keyClicks(gui_test::widget_named(shell, "txtPrevious"), "\\\\OldServer");
    QTest::mouseClick(gui_test::widget_named(shell, "cmdUpdate"), Qt::LeftButton);

    ASSERT_EQ(seen.size(), 8u);  // one step after each record
    for (std::size_t step = 0; step < seen.size(); ++step) {
        SCOPED_TRACE("after record " + std::to_string(step + 1));
        EXPECT_TRUE(seen[step].exposed);
        const auto [shown, drawn] = seen[step].text_shown_drawn;
        EXPECT_GT(drawn, 300);  // two lines of text
        EXPECT_EQ(shown, drawn);
    }
    EXPECT_GT(seen[4].page_paints, 0) << "the page was not repainted during the run";
}

}  // namespace
