// The controls of forms and pages: plain objects with the properties and events the page and the
// progress window use. Positions and sizes are in twips, relative to the containing control.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "com/comptr.h"
#include "platform/ole_control.h"

namespace forms {

class Form;

enum class ControlKind { Elastic, Image, Frame, Label, TextBox, ComboBox, CheckBox, CommandButton, OleContainer };

class Control {
public:
    Control(ControlKind kind, std::string name) : kind_(kind), name_(std::move(name)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return kind_; }
    // The name as the layout gives it; an element of a control array reads "lblPrevious(1)".
    const std::string& name() const { return name_; }
    Form* form() const { return form_; }
    Control* container() const { return container_; }

    int Left = 0, Top = 0, Width = 0, Height = 0;
    // -1: not a tab stop (labels, frames and images take no focus in a tab cycle).
    int TabIndex = -1;
    bool Enabled = true;
    bool Visible = true;
    std::u16string Caption;  // labels, frames, check boxes and buttons

    // Whether focus can go here: enabled and visible, as are all its containers.
    bool can_focus() const;
    // Moves the focus here (the platform raises 5 when the control cannot take it).
    void SetFocus();
    // Position relative to the form's client area.
    int absolute_left() const;
    int absolute_top() const;

private:
    friend class Form;
    ControlKind kind_;
    std::string name_;
    Form* form_ = nullptr;
    Control* container_ = nullptr;
};

class Label final : public Control {
public:
    explicit Label(std::string name) : Control(ControlKind::Label, std::move(name)) {}
    enum class Align { Left, Right, Center } Alignment = Align::Left;
};

class Frame final : public Control {
public:
    explicit Frame(std::string name) : Control(ControlKind::Frame, std::move(name)) {}
    bool BorderStyle = true;
};

class Image final : public Control {
public:
    explicit Image(std::string name) : Control(ControlKind::Image, std::move(name)) {}
    std::vector<std::uint8_t> Picture;  // a bitmap file image
    bool Stretch = true;
};

class TextBox final : public Control {
public:
    explicit TextBox(std::string name) : Control(ControlKind::TextBox, std::move(name)) {}
    const std::u16string& Text() const { return text_; }
    // Replaces the text; the caret goes to its start, as when a program sets it.
    void set_Text(std::u16string text);
    // Typing replaces the selection with text and leaves the caret after it.
    void type(std::u16string_view text);
    int SelStart() const { return sel_start_; }
    int SelLength() const { return sel_length_; }
    void set_SelStart(int start);
    void set_SelLength(int length);

private:
    std::u16string text_;
    int sel_start_ = 0;
    int sel_length_ = 0;
};

// A drop-down list whose entries can only be picked.
class ComboBox final : public Control {
public:
    explicit ComboBox(std::string name) : Control(ControlKind::ComboBox, std::move(name)) {}
    void AddItem(std::u16string text);
    void Clear();
    int ListCount() const { return int(items_.size()); }
    const std::u16string& List(int index) const;
    std::int32_t ItemData(int index) const;
    void set_ItemData(int index, std::int32_t data);
    // The newest entry's index, as the platform's NewIndex gives it.
    int NewIndex() const { return int(items_.size()) - 1; }
    // -1 when nothing is selected.
    int ListIndex() const { return list_index_; }
    void set_ListIndex(int index);

private:
    struct Entry {
        std::u16string text;
        std::int32_t data = 0;
    };
    const Entry& at(int index) const;
    std::vector<Entry> items_;
    int list_index_ = -1;
};

class CheckBox final : public Control {
public:
    explicit CheckBox(std::string name) : Control(ControlKind::CheckBox, std::move(name)) {}
    int Value = 0;  // 0 unticked, 1 ticked, 2 greyed
    // What a click does: ticks or unticks, when the box is enabled.
    void click();
};

class CommandButton final : public Control {
public:
    explicit CommandButton(std::string name) : Control(ControlKind::CommandButton, std::move(name)) {}
    std::function<void()> Click;
    // A press of the button: runs Click when the button is enabled.
    void press();
};

// The slot of an OLE container control on a form.
class OleContainer final : public Control {
public:
    explicit OleContainer(std::string name);
    IOleContainerControl* object() const { return object_.get(); }

private:
    ComPtr<IOleContainerControl> object_;
};

// The elastic resize container of the page. Move places it; its direct children then follow its
// size as its four options say:
//   Setting1: how the first child (the picture) follows: 8 = its height only, its width stays;
//   Setting2: how the other children follow: 3 = both width (1) and height (2);
//   Setting3: 2 = every child keeps its design distance to the right and bottom edges;
//   Setting4: the smallest width and height a child shrinks to, in pixels (0: no limit).
// Other values are refused, so a layout this container does not know fails loudly.
class ElasticContainer final : public Control {
public:
    explicit ElasticContainer(std::string name) : Control(ControlKind::Elastic, std::move(name)) {}
    struct Options {
        int Setting1 = 0, Setting2 = 0, Setting3 = 0, Setting4 = 0;
    };
    static constexpr int kFollowWidth = 1, kFollowHeight = 2, kFollowHeightOnly = 8;
    static constexpr int kFollowAll = kFollowWidth | kFollowHeight | kFollowHeightOnly;
    static constexpr int kKeepMargins = 2;
    Options& options() { return options_; }
    void Move(float left, float top, float width, float height);

private:
    struct Design {
        Control* control;
        int width, height;
    };
    Options options_;
    std::vector<Design> design_;  // this container first, then its children in layout order
};

}  // namespace forms
