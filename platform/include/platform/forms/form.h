// A form (or a page): its controls, made from a layout, with focus, tab order and events.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/controls.h"

namespace forms {

class Form {
public:
    // Builds the form and its controls from a layout text (see layout.cpp for the format).
    static std::unique_ptr<Form> from_layout(std::string_view layout);
    ~Form();

    const std::string& name() const { return name_; }
    std::u16string Caption;
    // Outer position and size, and the client area's size, in twips.
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int ScaleWidth = 0, ScaleHeight = 0;
    // Whether this is a document page (hosted in the shell) rather than a window of its own.
    bool is_document = false;

    Control* find(std::string_view name) const;
    template <class T>
    T* get(std::string_view name) const;
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

    // Focus and tab order: tab stops by TabIndex, skipping what cannot take the focus.
    Control* ActiveControl() const { return focus_; }
    void set_focus(Control* control);
    std::vector<Control*> tab_order() const;
    void tab();  // focus to the next tab stop

    // Events, set by the form's code.
    std::function<void()> Form_Load;
    std::function<void()> Form_Activate;
    std::function<void()> Form_Resize;
    // May refuse an unload asked for by the user (the window's close box): return true to cancel.
    std::function<bool()> Form_QueryUnload;

    // State the window system keeps.
    bool loaded() const { return loaded_; }
    void load();        // runs Form_Load once
    void activate();    // runs Form_Activate
    void mark_unloaded();
    // Asked by the user (close box): honoured unless Form_QueryUnload refuses.
    bool request_close();
    // The client area changed size (a page in its shell): runs Form_Resize.
    void resize_client(int width, int height);

private:
    Form() = default;
    std::string name_;
    std::vector<std::unique_ptr<Control>> controls_;
    Control* focus_ = nullptr;
    bool loaded_ = false;
};

template <class T>
T* Form::get(std::string_view name) const {
    auto* control = dynamic_cast<T*>(find(name));
    if (!control) throw std::logic_error("the layout of " + name_ + " lacks " + std::string(name));
    return control;
}

}  // namespace forms
