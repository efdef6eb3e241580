#include "gui/form_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>

#include "gui/model_calls.h"
#include "gui/qt_text.h"
#include "platform/forms/controls.h"

namespace gui {

int to_pixels(int twips) {
    return twips >= 0 ? twips / kTwipsPerPixel : -((-twips + kTwipsPerPixel - 1) / kTwipsPerPixel);
}

namespace {

// Sets a flag for a scope, so that signals raised by our own changes are not taken for user input.
class Syncing {
public:
    explicit Syncing(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
    ~Syncing() { flag_ = previous_; }

private:
    bool& flag_;
    bool previous_;
};

Qt::Alignment alignment_of(forms::Label::Align align) {
    switch (align) {
    case forms::Label::Align::Right: return Qt::AlignRight | Qt::AlignTop;
    case forms::Label::Align::Center: return Qt::AlignHCenter | Qt::AlignTop;
    default: return Qt::AlignLeft | Qt::AlignTop;
    }
}

Qt::CheckState check_state_of(int value) {
    switch (value) {
    case 1: return Qt::Checked;
    case 2: return Qt::PartiallyChecked;
    default: return Qt::Unchecked;
    }
}

// The selection of a line edit as the model keeps it: start and length (a caret is length 0).
std::pair<int, int> selection_of(const QLineEdit& edit) {
    if (edit.hasSelectedText()) return {edit.selectionStart(), int(edit.selectedText().size())};
    return {edit.cursorPosition(), 0};
}

void copy_selection(const QLineEdit& edit, forms::TextBox& box) {
    auto [start, length] = selection_of(edit);
    box.set_SelStart(start);
    box.set_SelLength(length);
}

// The font the layouts were designed for: the platform's 8-point default. Positions are pixels at
// 96 dots per inch, so the font is sized in pixels too, whatever the desktop's own font size: 10
// pixels, a little under 8 points, as the faces found on this desktop run wider than the one the
// layouts were measured with, and texts must fit their controls as designed.
QFont design_font() {
    QFont font = QApplication::font();
    font.setFamilies({"Tahoma", "Liberation Sans", "Arial", "DejaVu Sans Condensed", font.family()});
    font.setPixelSize(10);
    return font;
}

}  // namespace

FormView::FormView(forms::Form& form, QWidget* client, std::function<void()> after_input)
    : form_(form), client_(client), after_input_(std::move(after_input)) {
    client_->setFont(design_font());
    for (const auto& owned : form_.controls()) {
        forms::Control& control = *owned;
        QWidget* parent = client_;
        if (control.container()) parent = widget_of(*control.container());
        if (!parent) continue;  // inside a control that draws nothing
        QWidget* widget = make_widget(control, parent);
        if (!widget) continue;
        widget->setObjectName(QString::fromStdString(control.name()));
        widget->installEventFilter(this);
        connect_input(control, widget);
        entries_.push_back({&control, widget, {}});
    }
    set_tab_order();
    sync();
}

FormView::~FormView() {
    for (const Entry& entry : entries_) entry.widget->removeEventFilter(this);
}

QWidget* FormView::widget_of(const forms::Control& control) const {
    for (const Entry& entry : entries_)
        if (entry.control == &control) return entry.widget;
    return nullptr;
}

const FormView::Entry* FormView::entry_of(const QObject* widget) const {
    for (const Entry& entry : entries_)
        if (entry.widget == widget) return &entry;
    return nullptr;
}

QWidget* FormView::make_widget(forms::Control& control, QWidget* parent) {
    using forms::ControlKind;
    switch (control.kind()) {
    case ControlKind::Elastic: return new QWidget(parent);
    case ControlKind::Image: {
        auto* image = new QLabel(parent);
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return image;
    }
    case ControlKind::Frame:
        // A frame without border shows neither its border nor its caption.
        if (static_cast<forms::Frame&>(control).BorderStyle) return new QGroupBox(parent);
        else {
            auto* frame = new QFrame(parent);
            frame->setFrameShape(QFrame::NoFrame);
            return frame;
        }
    case ControlKind::Label: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);  // a label's text wraps inside its box
        return label;
    }
    case ControlKind::TextBox: return new QLineEdit(parent);
    case ControlKind::ComboBox: return new QComboBox(parent);
    case ControlKind::CheckBox: return new QCheckBox(parent);
    case ControlKind::CommandButton: {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);  // Enter in a text box presses nothing
        return button;
    }
    case ControlKind::OleContainer: return nullptr;  // the container shows no window of its own
    }
    return nullptr;
}

void FormView::connect_input(forms::Control& control, QWidget* widget) {
    using forms::ControlKind;
    switch (control.kind()) {
    case ControlKind::TextBox: {
        auto* edit = static_cast<QLineEdit*>(widget);
        auto& box = static_cast<forms::TextBox&>(control);
        connect(edit, &QLineEdit::textEdited, this, [this, edit, &box](const QString& text) {
            user_input([&] {
                box.set_Text(from_qt(text));
                copy_selection(*edit, box);
            });
        });
        auto selection_moved = [this, edit, &box] {
            if (syncing_ || from_qt(edit->text()) != box.Text()) return;  // the text's own signal follows
            user_input([&] { copy_selection(*edit, box); });
        };
        connect(edit, &QLineEdit::selectionChanged, this, selection_moved);
        connect(edit, &QLineEdit::cursorPositionChanged, this, selection_moved);
        break;
    }
    case ControlKind::ComboBox: {
        auto& combo = static_cast<forms::ComboBox&>(control);
        connect(static_cast<QComboBox*>(widget), &QComboBox::activated, this,
                [this, &combo](int index) { user_input([&] { combo.set_ListIndex(index); }); });
        break;
    }
    case ControlKind::CheckBox: {
        auto& check = static_cast<forms::CheckBox&>(control);
        connect(static_cast<QCheckBox*>(widget), &QCheckBox::clicked, this,
                [this, &check] { user_input([&] { check.click(); }); });
        break;
    }
    case ControlKind::CommandButton: {
        auto& button = static_cast<forms::CommandButton&>(control);
        connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this,
                [this, &button] { user_input([&] { button.press(); }); });
        break;
    }
    default: break;
    }
}

void FormView::set_tab_order() {
    std::vector<const Entry*> stops;
    for (const Entry& entry : entries_) {
        if (entry.widget->focusPolicy() == Qt::NoFocus) continue;  // labels, frames, pictures
        if (entry.control->TabIndex < 0) entry.widget->setFocusPolicy(Qt::ClickFocus);
        else stops.push_back(&entry);
    }
    std::stable_sort(stops.begin(), stops.end(), [](const Entry* a, const Entry* b) {
        return a->control->TabIndex < b->control->TabIndex;
    });
    for (std::size_t i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1]->widget, stops[i]->widget);
}

void FormView::user_input(const std::function<void()>& call) {
    if (syncing_) return;
    call_model(call);
    if (after_input_) after_input_();
    else sync();
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
    // The focus moved by the user (a click, the tab key) is the form's active control.
    if (event->type() == QEvent::FocusIn && !syncing_) {
        if (const Entry* entry = entry_of(watched); entry && entry->control->can_focus()) {
            form_.set_focus(entry->control);
            shown_focus_ = entry->control;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FormView::place(const Entry& entry) {
    // Edges in pixels of absolute positions, so that nesting never adds up rounding.
    const forms::Control& c = *entry.control;
    const int left = c.absolute_left(), top = c.absolute_top();
    const int origin_left = c.container() ? c.container()->absolute_left() : 0;
    const int origin_top = c.container() ? c.container()->absolute_top() : 0;
    const QRect rect(to_pixels(left) - to_pixels(origin_left), to_pixels(top) - to_pixels(origin_top),
                     to_pixels(left + c.Width) - to_pixels(left), to_pixels(top + c.Height) - to_pixels(top));
    if (entry.widget->geometry() != rect) entry.widget->setGeometry(rect);
}

void FormView::sync() {
    Syncing guard(syncing_);
    for (Entry& entry : entries_) {
        place(entry);
        sync_entry(entry);
    }
    sync_focus();
}

void FormView::sync_entry(Entry& entry) {
    using forms::ControlKind;
    forms::Control& control = *entry.control;
    QWidget* widget = entry.widget;
    if (widget->isEnabled() != control.Enabled) widget->setEnabled(control.Enabled);
    if (widget->isHidden() == control.Visible) widget->setVisible(control.Visible);
    const QString caption = to_qt(control.Caption);

    switch (control.kind()) {
    case ControlKind::Image: {
        auto& image = static_cast<forms::Image&>(control);
        auto* label = static_cast<QLabel*>(widget);
        if (entry.picture != image.Picture) {
            entry.picture = image.Picture;
            QPixmap pixmap;
            if (!entry.picture.empty()) pixmap.loadFromData(entry.picture.data(), uint(entry.picture.size()), "BMP");
            label->setPixmap(pixmap);
        }
        label->setScaledContents(image.Stretch);
        break;
    }
    case ControlKind::Frame:
        if (auto* group = qobject_cast<QGroupBox*>(widget); group && group->title() != caption) group->setTitle(caption);
        break;
    case ControlKind::Label: {
        auto* label = static_cast<QLabel*>(widget);
        if (label->text() != caption) label->setText(caption);
        label->setAlignment(alignment_of(static_cast<forms::Label&>(control).Alignment));
        break;
    }
    case ControlKind::TextBox: {
        auto& box = static_cast<forms::TextBox&>(control);
        auto* edit = static_cast<QLineEdit*>(widget);
        const QString text = to_qt(box.Text());
        if (edit->text() != text) edit->setText(text);
        // Only a selection the model changed is put back: the user's own keeps its direction.
        if (selection_of(*edit) != std::pair(box.SelStart(), box.SelLength())) {
            if (box.SelLength() > 0) edit->setSelection(box.SelStart(), box.SelLength());
            else edit->setCursorPosition(box.SelStart());
        }
        break;
    }
    case ControlKind::ComboBox: {
        auto& combo = static_cast<forms::ComboBox&>(control);
        auto* widget_combo = static_cast<QComboBox*>(widget);
        bool same = widget_combo->count() == combo.ListCount();
        for (int i = 0; same && i < combo.ListCount(); ++i) same = widget_combo->itemText(i) == to_qt(combo.List(i));
        if (!same) {
            widget_combo->clear();
            for (int i = 0; i < combo.ListCount(); ++i) widget_combo->addItem(to_qt(combo.List(i)));
        }
        if (widget_combo->currentIndex() != combo.ListIndex()) widget_combo->setCurrentIndex(combo.ListIndex());
        break;
    }
    case ControlKind::CheckBox: {
        auto* check = static_cast<QCheckBox*>(widget);
        if (check->text() != caption) check->setText(caption);
        const Qt::CheckState state = check_state_of(static_cast<forms::CheckBox&>(control).Value);
        if (check->checkState() != state) check->setCheckState(state);
        break;
    }
    case ControlKind::CommandButton: {
        auto* button = static_cast<QPushButton*>(widget);
        if (button->text() != caption) button->setText(caption);
        break;
    }
    default: break;
    }
}

void FormView::sync_focus() {
    // Signals that come while the focus moves (a text box losing its selection) must not pull it
    // back: the model's focus wins only when the form's code has changed it.
    forms::Control* active = form_.ActiveControl();
    if (!active || active == shown_focus_ || !active->can_focus()) return;
    shown_focus_ = active;
    QWidget* widget = widget_of(*active);
    if (widget && widget->window()->focusWidget() != widget) widget->setFocus(Qt::OtherFocusReason);
}

}  // namespace gui
