#include "platform/forms/controls.h"

#include <algorithm>

#include "com/error.h"
#include "platform/forms/form.h"

namespace forms {

bool Control::can_focus() const {
    switch (kind_) {
    case ControlKind::TextBox:
    case ControlKind::ComboBox:
    case ControlKind::CheckBox:
    case ControlKind::CommandButton: break;
    default: return false;  // labels, frames, pictures and containers take no focus
    }
    for (const Control* c = this; c; c = c->container_)
        if (!c->Enabled || !c->Visible) return false;
    return true;
}

void Control::SetFocus() {
    // As on the platform: focus to a control that cannot take it is an invalid call.
    if (!can_focus()) raise_standard_error(RuntimeError::InvalidProcedureCall);
    form_->set_focus(this);
}

int Control::absolute_left() const { return Left + (container_ ? container_->absolute_left() : 0); }
int Control::absolute_top() const { return Top + (container_ ? container_->absolute_top() : 0); }

void TextBox::set_Text(std::u16string text) {
    text_ = std::move(text);
    sel_start_ = 0;
    sel_length_ = 0;
}

void TextBox::type(std::u16string_view text) {
    text_.replace(std::size_t(sel_start_), std::size_t(sel_length_), text);
    sel_start_ += int(text.size());
    sel_length_ = 0;
}

void TextBox::set_SelStart(int start) {
    if (start < 0) raise_standard_error(RuntimeError::InvalidPropertyValue);
    sel_start_ = std::min(start, int(text_.size()));
    sel_length_ = 0;
}

void TextBox::set_SelLength(int length) {
    if (length < 0) raise_standard_error(RuntimeError::InvalidPropertyValue);
    sel_length_ = std::min(length, int(text_.size()) - sel_start_);
}

void ComboBox::AddItem(std::u16string text) { items_.push_back({std::move(text), 0}); }

void ComboBox::Clear() {
    items_.clear();
    list_index_ = -1;
}

const ComboBox::Entry& ComboBox::at(int index) const {
    if (index < 0 || index >= int(items_.size())) raise_standard_error(RuntimeError::InvalidProcedureCall);
    return items_[std::size_t(index)];
}

const std::u16string& ComboBox::List(int index) const { return at(index).text; }
std::int32_t ComboBox::ItemData(int index) const { return at(index).data; }
void ComboBox::set_ItemData(int index, std::int32_t data) { const_cast<Entry&>(at(index)).data = data; }

void ComboBox::set_ListIndex(int index) {
    if (index != -1) at(index);  // raises for an index that names no entry
    list_index_ = index;
}

void CheckBox::click() {
    if (can_focus()) Value = Value == 1 ? 0 : 1;
}

void CommandButton::press() {
    if (can_focus() && Click) Click();
}

OleContainer::OleContainer(std::string name) : Control(ControlKind::OleContainer, std::move(name)) {
    check(CreateOleContainerControl(object_.put()));
}

void ElasticContainer::Move(float left, float top, float width, float height) {
    const auto& o = options_;
    if ((o.Setting1 & ~kFollowAll) || (o.Setting2 & ~kFollowAll) || o.Setting3 != kKeepMargins || o.Setting4 < 0)
        raise_standard_error(RuntimeError::InvalidProcedureCall);  // a layout this container does not know
    // Sizes follow from the design sizes, never from the last ones, so shrinking to nothing and
    // growing back gives the design layout again.
    if (design_.empty()) {
        design_.push_back({this, Width, Height});
        for (const auto& owned : form()->controls())
            if (owned->container() == this) design_.push_back({owned.get(), owned->Width, owned->Height});
    }
    Left = int(left);
    Top = int(top);
    Width = int(width);
    Height = int(height);
    const int grow_width = Width - design_[0].width;
    const int grow_height = Height - design_[0].height;
    const int smallest = o.Setting4 * 15;
    for (std::size_t i = 1; i < design_.size(); ++i) {
        const Design& d = design_[i];
        const int anchoring = i == 1 ? o.Setting1 : o.Setting2;
        if (anchoring & kFollowWidth) d.control->Width = std::max(smallest, d.width + grow_width);
        if (anchoring & (kFollowHeight | kFollowHeightOnly)) d.control->Height = std::max(smallest, d.height + grow_height);
    }
}

}  // namespace forms
