// The progress window through a run that keeps the thread from the first record to the last: its
// message is on the screen before the first record and stays there, and the page repaints between
// records. What is looked at is what the screen was given (the window's flushed contents), not a
// new rendering of the widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <functional>

#include "gui/support/desktop_page.h"
#include "support/files.h"
#include "gui/support/gui_test_support.h"
#include "platform/forms/window_system.h"

namespace {

// The installed window system with a look between records: after each let-through, probe(step).
class BetweenRecords final : public forms::WindowSystem {
public:
    explicit BetweenRecords(std::function<void(int)> probe) : probe_(std::move(probe)) {}
    ~BetweenRecords() override { forms::set_window_system(&inner_); }
    int message_box(std::u16string_view p, int s, std::u16string_view c) override { return inner_.message_box(p, s, c); }
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
    forms::WindowSystem& inner_ = *forms::set_window_system(this);
    std::function<void(int)> probe_;
    int step_ = 0;
};

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

QImage rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

using PaintingThroughARun = DesktopPage;

TEST_F(PaintingThroughARun, TheMessageStaysOnTheScreenAndThePageRepaintsBetweenRecords) {
    write_drives({"Z: \\\\NewServer\\Media"});
    for (char16_t id = 1; id <= 8; ++id)
        database().insert(u"AP7VENDORMEDIA", id, link_to(u"\\\\OldServer\\Media\\gone" + std::u16string(1, u'0' + id)));
    show_page();
    QWidget* shell = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "shell") shell = w;
    ASSERT_NE(shell, nullptr);

    struct Seen {
        bool exposed, message_shown, message_blank;
    };
    std::vector<Seen> seen;
    PaintCounter page_paints(shell);
    int paints_before = 0;
    bool page_repainted = false;
    BetweenRecords between([&](int step) {
        QWidget* progress = QApplication::activeModalWidget();
        auto* label = progress ? progress->findChild<QLabel*>("Label1") : nullptr;
        ASSERT_TRUE(label) << "no progress window";
        const QImage shown = rgb(progress->screen()->grabWindow(progress->winId()).toImage());
        const QImage message = rgb(label->grab().toImage());
        QImage blank(message.size(), QImage::Format_RGB32);
        blank.fill(progress->palette().color(QPalette::Window));
        seen.push_back({progress->windowHandle()->isExposed(), shown.copy(label->geometry()) == message, message == blank});
        if (step == 4) page_repainted = page_paints.paints > paints_before;
        if (step == 3) {
            // The page needs painting, as when a window over it goes away; the next step lets it paint.
            paints_before = page_paints.paints;
            shell->update();
            QThread::msleep(60);
        }
    });
    gui_test::when_modal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
                         [](QWidget* w) { static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click(); });
    QTest::mouseClick(gui_test::widget_named(shell, "txtPrevious"), Qt::LeftButton);
    QTest::keyClicks(gui_test::widget_named(shell, "txtPrevious"), "\\\\OldServer");
    QTest::mouseClick(gui_test::widget_named(shell, "cmdUpdate"), Qt::LeftButton);

    ASSERT_EQ(seen.size(), 8u);  // a step after each record
    for (std::size_t step = 0; step < seen.size(); ++step) {
        SCOPED_TRACE("after record " + std::to_string(step + 1));
        EXPECT_TRUE(seen[step].exposed);
        EXPECT_TRUE(seen[step].message_shown);
        EXPECT_FALSE(seen[step].message_blank);
    }
    EXPECT_TRUE(page_repainted) << "the page was not repainted during the run";
}

}  // namespace
