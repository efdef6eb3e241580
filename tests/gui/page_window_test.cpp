// The page in the host shell's window: widgets at the layout's positions, texts, states and tab
// order as the model has them, user input into the model, and the page following the window's size.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "gui/desktop.h"
#include "gui/support/gui_test_support.h"
#include "platform/forms/window_system.h"

using gui_test::widget_named;

namespace {

// A small picture in the bitmap file format the page stores.
std::vector<std::uint8_t> test_bitmap() {
    QImage image(20, 22, QImage::Format_RGB888);
    image.fill(QColor(40, 90, 160));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return {bytes.begin(), bytes.end()};
}

class PageWindow : public testing::Test {
protected:
    void SetUp() override {
        page = gui_test::form_from_resources("udPathmender.layout");
        page->get<forms::Image>("Image1")->Picture = test_bitmap();
        window = std::make_unique<gui::DocumentWindow>(*page, u"Pathmender Host");
        window->show();
        gui_test::settle();
        shell = gui_test::shell_window();
        ASSERT_NE(shell, nullptr);
        client = widget_named(shell, "udPathmender");
    }
    void TearDown() override {
        window.reset();
        gui_test::settle();
    }
    QWidget* widget(const std::string& name) { return widget_named(client, name); }
    // Activates the shell so that focus moves and key presses arrive as they would for a user.
    void activate() {
        shell->activateWindow();
        gui_test::settle();
        ASSERT_TRUE(shell->isActiveWindow());
    }

    std::unique_ptr<forms::Form> page;
    std::unique_ptr<gui::DocumentWindow> window;
    QWidget* shell = nullptr;
    QWidget* client = nullptr;
};

TEST_F(PageWindow, EveryControlStandsAtItsLayoutPositionInPixels) {
    EXPECT_EQ(shell->windowTitle(), "Pathmender Host");
    EXPECT_EQ(client->size(), QSize(10515 / 15, 4095 / 15));
    for (const auto& control : page->controls()) {
        if (control->kind() == forms::ControlKind::OleContainer) continue;
        SCOPED_TRACE(control->name());
        QWidget* w = widget(control->name());
        ASSERT_NE(w, nullptr);
        const int left = control->absolute_left(), top = control->absolute_top();
        EXPECT_EQ(w->mapTo(client, QPoint(0, 0)), QPoint(left / 15, top / 15));
        EXPECT_EQ(w->width(), (left + control->Width) / 15 - left / 15);
        EXPECT_EQ(w->height(), (top + control->Height) / 15 - top / 15);
        EXPECT_TRUE(w->isVisible());
    }
    // Spot checks in plain numbers: the text box and the button of the page.
    EXPECT_EQ(widget("txtPrevious")->mapTo(client, QPoint(0, 0)), QPoint(312, 64));
    EXPECT_EQ(widget("cmdUpdate")->geometry().size(), QSize(75, 25));
}

TEST_F(PageWindow, ShowsTheLayoutsTextsAlignmentAndStates) {
    auto* header = qobject_cast<QLabel*>(widget("lblHeader"));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->text().toStdU16String(), page->find("lblHeader")->Caption);
    EXPECT_TRUE(header->wordWrap());
    auto* previous = qobject_cast<QLabel*>(widget("lblPrevious(0)"));
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->text(), "Previous server name:");
    EXPECT_TRUE(previous->alignment() & Qt::AlignRight);
    EXPECT_EQ(qobject_cast<QLabel*>(widget("lblPrevious(1)"))->text(), "Start search in:");

    // The frame has no border, and so no caption either.
    EXPECT_EQ(qobject_cast<QGroupBox*>(widget("Frame1")), nullptr);
    EXPECT_EQ(qobject_cast<QFrame*>(widget("Frame1"))->frameShape(), QFrame::NoFrame);

    auto* picture = qobject_cast<QLabel*>(widget("Image1"));
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(picture->pixmap().size(), QSize(20, 22));
    EXPECT_TRUE(picture->hasScaledContents());

    EXPECT_EQ(qobject_cast<QCheckBox*>(widget("chkExactMatch"))->text(),
              "Use previous directory structure when searching for files");
    EXPECT_EQ(qobject_cast<QPushButton*>(widget("cmdUpdate"))->text(), "Update");
    EXPECT_TRUE(qobject_cast<QLineEdit*>(widget("txtPrevious"))->text().isEmpty());
    EXPECT_EQ(qobject_cast<QComboBox*>(widget("cboMapped"))->count(), 0);

    EXPECT_TRUE(widget("chkExactMatch")->isEnabled());
    EXPECT_FALSE(widget("chkUpdatedQuery")->isEnabled());
    EXPECT_FALSE(widget("chkExceptionQuery")->isEnabled());
    EXPECT_TRUE(widget("cmdUpdate")->isEnabled());
    for (const char* name : {"chkExactMatch", "chkUpdatedQuery", "chkExceptionQuery"})
        EXPECT_EQ(qobject_cast<QCheckBox*>(widget(name))->checkState(), Qt::Unchecked) << name;
    // The OLE container draws nothing.
    EXPECT_EQ(client->findChild<QWidget*>("oleMedia"), nullptr);
}

TEST_F(PageWindow, TabGoesThroughTheEnabledStopsInTabIndexOrder) {
    activate();
    EXPECT_EQ(QApplication::focusWidget(), widget("txtPrevious"));  // the first tab stop
    std::vector<std::string> order;
    for (int i = 0; i < 5; ++i) {
        order.push_back(page->ActiveControl()->name());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), widget(page->ActiveControl()->name()));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"txtPrevious", "cboMapped", "chkExactMatch", "cmdUpdate", "txtPrevious"}));
}

TEST_F(PageWindow, TypingAndSelectingReachTheTextBox) {
    activate();
    auto* box = page->get<forms::TextBox>("txtPrevious");
    QWidget* edit = widget("txtPrevious");
    QTest::keyClicks(edit, "\\\\Oldx");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(box->Text(), u"\\\\Old");
    EXPECT_EQ(box->SelStart(), 5);
    EXPECT_EQ(box->SelLength(), 0);

    QTest::keyClick(edit, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(box->SelStart(), 3);
    EXPECT_EQ(box->SelLength(), 2);
    // Typing over the selection replaces it.
    QTest::keyClicks(edit, "Server");
    EXPECT_EQ(box->Text(), u"\\\\OServer");
    EXPECT_EQ(box->SelStart(), 9);
}

TEST_F(PageWindow, PickingAndClickingReachTheModel) {
    auto* combo = page->get<forms::ComboBox>("cboMapped");
    combo->AddItem(u"F: \\\\NewServer\\Media");
    combo->AddItem(u"G: \\\\NewServer\\Archive");
    combo->set_ListIndex(0);
    forms::window_system().refresh(*page);
    auto* combo_widget = qobject_cast<QComboBox*>(widget("cboMapped"));
    ASSERT_EQ(combo_widget->count(), 2);
    EXPECT_EQ(combo_widget->itemText(1), "G: \\\\NewServer\\Archive");
    EXPECT_EQ(combo_widget->currentIndex(), 0);

    activate();
    QTest::keyClick(combo_widget, Qt::Key_Down);
    EXPECT_EQ(combo->ListIndex(), 1);

    auto* exact = page->get<forms::CheckBox>("chkExactMatch");
    QTest::mouseClick(widget("chkExactMatch"), Qt::LeftButton);
    EXPECT_EQ(exact->Value, 1);
    QTest::mouseClick(widget("chkExactMatch"), Qt::LeftButton);
    EXPECT_EQ(exact->Value, 0);
    // A box created unavailable ignores the click.
    QTest::mouseClick(widget("chkUpdatedQuery"), Qt::LeftButton);
    EXPECT_EQ(page->get<forms::CheckBox>("chkUpdatedQuery")->Value, 0);
}

TEST_F(PageWindow, AButtonsClickRunsAndTheWidgetsFollowWhatItChanged) {
    auto* text = page->get<forms::TextBox>("txtPrevious");
    auto* button = page->get<forms::CommandButton>("cmdUpdate");
    int clicks = 0;
    button->Click = [&] {
        ++clicks;
        text->set_Text(u"\\\\Changed");
        text->SetFocus();
        text->set_SelStart(0);
        text->set_SelLength(int(text->Text().size()));
        page->get<forms::CheckBox>("chkExactMatch")->Value = 1;
        button->Enabled = false;
    };
    activate();
    QTest::mouseClick(widget("cmdUpdate"), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    auto* edit = qobject_cast<QLineEdit*>(widget("txtPrevious"));
    EXPECT_EQ(edit->text(), "\\\\Changed");
    EXPECT_EQ(edit->selectedText(), "\\\\Changed");
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(qobject_cast<QCheckBox*>(widget("chkExactMatch"))->checkState(), Qt::Checked);
    EXPECT_FALSE(widget("cmdUpdate")->isEnabled());
    // Disabled now: a second click does nothing.
    QTest::mouseClick(widget("cmdUpdate"), Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(PageWindow, ResizingTheWindowRunsResizeAndTheElasticContainerFillsIt) {
    // The page's own Resize: the elastic container fills the client area from its top-left corner.
    auto* elastic = page->get<forms::ElasticContainer>("VXElastic1");
    elastic->options() = {8, 3, 2, 0};
    std::vector<std::pair<int, int>> sizes;
    page->Form_Resize = [&] {
        sizes.emplace_back(page->ScaleWidth, page->ScaleHeight);
        elastic->Move(0, 0, float(page->ScaleWidth), float(page->ScaleHeight));
    };
    shell->resize(900, 420);
    gui_test::settle();

    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back(), std::pair(client->width() * 15, client->height() * 15));
    EXPECT_EQ(widget("VXElastic1")->geometry(), QRect(QPoint(0, 0), client->size()));
    // The frame grows with the window, from its design width for the design size of the container.
    const int grow = client->width() * 15 - 10365;
    EXPECT_EQ(page->find("Frame1")->Width, 7395 + grow);
    EXPECT_EQ(widget("Frame1")->width(), (2910 + 7395 + grow) / 15 - 2910 / 15);
    // Children keep their model positions, in pixels.
    auto* update = page->find("cmdUpdate");
    EXPECT_EQ(widget("cmdUpdate")->mapTo(client, QPoint(0, 0)),
              QPoint(update->absolute_left() / 15, update->absolute_top() / 15));
}

TEST_F(PageWindow, ClosingTheWindowUnloadsThePage) {
    EXPECT_TRUE(page->loaded());
    EXPECT_TRUE(window->is_open());
    shell->close();
    EXPECT_FALSE(window->is_open());
    EXPECT_FALSE(page->loaded());
}

TEST_F(PageWindow, APageThatRefusesToCloseStaysOpen) {
    bool refuse = true;
    page->Form_QueryUnload = [&] { return refuse; };
    shell->close();
    EXPECT_TRUE(window->is_open());
    refuse = false;
    shell->close();
    EXPECT_FALSE(window->is_open());
}

TEST_F(PageWindow, RunReturnsWhenTheUserClosesTheWindow) {
    QTimer::singleShot(0, [this] { shell->close(); });
    window->run();
    EXPECT_FALSE(window->is_open());
}

TEST_F(PageWindow, AFailureInThePagesCodeEndsRunAndComesOutOfIt) {
    page->get<forms::CommandButton>("cmdUpdate")->Click = [] { throw std::runtime_error("page code failed"); };
    QTimer::singleShot(0, [this] { QTest::mouseClick(widget("cmdUpdate"), Qt::LeftButton); });
    EXPECT_THROW(
        {
            try {
                window->run();
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "page code failed");
                throw;
            }
        },
        std::runtime_error);
    EXPECT_FALSE(window->is_open());
}

// What the window draws: the page's picture filling its place and no more, the header's text inside
// its place, and the drive picked in the list.
TEST_F(PageWindow, DrawsThePictureAndTheTextsInTheirPlaces) {
    auto place = [&](const std::string& name) { return QRect(widget(name)->mapTo(shell, QPoint(0, 0)), widget(name)->size()); };
    const QColor blue(40, 90, 160);
    const QRect picture = place("Image1");
    const QRect beside(picture.topRight() + QPoint(1, 0), QSize(8, picture.height()));
    EXPECT_EQ(gui_test::drawn_pixels(shell, picture, blue), 0);
    EXPECT_EQ(gui_test::drawn_pixels(shell, beside, blue), beside.width() * beside.height());
    EXPECT_GT(gui_test::drawn_pixels(shell, place("lblHeader"), shell->palette().color(QPalette::Window)), 500);

    const QImage empty = widget("cboMapped")->grab().toImage();
    auto* combo = page->get<forms::ComboBox>("cboMapped");
    combo->AddItem(u"F: \\\\NewServer\\Media");
    combo->set_ListIndex(0);
    forms::window_system().refresh(*page);
    const QImage picked = widget("cboMapped")->grab().toImage();
    int changed = 0;
    for (int y = 0; y < picked.height(); ++y)
        for (int x = 0; x < picked.width(); ++x) changed += picked.pixel(x, y) != empty.pixel(x, y);
    EXPECT_GT(changed, 100);
}

}  // namespace
