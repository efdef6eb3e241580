// The widgets of one form: a widget for each control (the OLE container has none), placed at the
// control's position (15 twips to a pixel) inside the form's client-area widget. User input goes
// into the model; sync() brings every widget back in line with the model, which the form's code
// may have changed under it.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/forms/form.h"

class QWidget;

namespace gui {

inline constexpr int kTwipsPerPixel = 15;
// The pixel a twips position falls in (rounding down, negative positions too).
int to_pixels(int twips);

class FormView final : public QObject {
public:
    // after_input runs after each user input has reached the model.
    FormView(forms::Form& form, QWidget* client, std::function<void()> after_input);
    ~FormView() override;

    forms::Form& form() const { return form_; }
    QWidget* client() const { return client_; }
    // The widget that draws control; null for a control that has none.
    QWidget* widget_of(const forms::Control& control) const;
    void sync();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        forms::Control* control;
        QWidget* widget;
        std::vector<std::uint8_t> picture;  // the picture the widget shows
    };
    QWidget* make_widget(forms::Control& control, QWidget* parent);
    void connect_input(forms::Control& control, QWidget* widget);
    void set_tab_order();
    void place(const Entry& entry);
    void sync_entry(Entry& entry);
    void sync_focus();
    void user_input(const std::function<void()>& call);
    const Entry* entry_of(const QObject* widget) const;

    forms::Form& form_;
    QWidget* client_;
    std::function<void()> after_input_;
    std::vector<Entry> entries_;
    // The active control the widgets last showed: only a focus the model moved is put back.
    const forms::Control* shown_focus_ = nullptr;
    bool syncing_ = false;
};

}  // namespace gui
