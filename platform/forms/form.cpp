#include "platform/forms/form.h"

#include <algorithm>

namespace forms {

Form::~Form() = default;

Control* Form::find(std::string_view name) const {
    for (const auto& c : controls_)
        if (c->name() == name) return c.get();
    return nullptr;
}

void Form::set_focus(Control* control) { focus_ = control; }

std::vector<Control*> Form::tab_order() const {
    std::vector<Control*> order;
    for (const auto& c : controls_)
        if (c->TabIndex >= 0 && c->can_focus()) order.push_back(c.get());
    std::stable_sort(order.begin(), order.end(),
                     [](const Control* a, const Control* b) { return a->TabIndex < b->TabIndex; });
    return order;
}

void Form::tab() {
    auto order = tab_order();
    if (order.empty()) return;
    auto it = std::find(order.begin(), order.end(), focus_);
    focus_ = (it == order.end() || ++it == order.end()) ? order.front() : *it;
}

void Form::load() {
    if (loaded_) return;
    loaded_ = true;
    // The first tab stop has the focus when a form appears.
    if (!focus_) {
        auto order = tab_order();
        if (!order.empty()) focus_ = order.front();
    }
    if (Form_Load) Form_Load();
}

void Form::activate() {
    if (loaded_ && Form_Activate) Form_Activate();
}

void Form::mark_unloaded() { loaded_ = false; }

bool Form::request_close() {
    if (Form_QueryUnload && Form_QueryUnload()) return false;
    return true;
}

void Form::resize_client(int width, int height) {
    ScaleWidth = width;
    ScaleHeight = height;
    if (Form_Resize) Form_Resize();
}

}  // namespace forms
