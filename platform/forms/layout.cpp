// Layouts: one text per form, one line per item.
//   form <name> [document] client=<width>x<height> [caption="..."]
//   control <name> <kind> parent=<name or -> left= top= width= height= [tab=] [caption="..."]
//           [enabled=0] [visible=0] [align=left|right|center] [border=0]
// Sizes are twips; texts are in double quotes, a quote inside doubled; '#' starts a comment line.
#include <charconv>
#include <map>
#include <stdexcept>

#include "com/utf.h"
#include "platform/forms/form.h"

namespace forms {
namespace {

// The window frame around a client area, in twips: 4-pixel borders and a 23-pixel title bar.
constexpr int kFrameWidth = 2 * 4 * 15;
constexpr int kFrameHeight = (2 * 4 + 23) * 15;

struct Line {
    std::vector<std::string> words;
    std::map<std::string, std::string> values;
};

Line parse_line(std::string_view text, int number) {
    Line line;
    std::size_t i = 0;
    auto fail = [&](const std::string& why) {
        throw std::runtime_error("layout line " + std::to_string(number) + ": " + why);
    };
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        if (i >= text.size()) break;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '=') ++i;
        std::string word(text.substr(start, i - start));
        if (i < text.size() && text[i] == '=') {
            ++i;
            std::string value;
            if (i < text.size() && text[i] == '"') {
                ++i;
                for (;;) {
                    if (i >= text.size()) fail("unterminated text");
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') { value += '"'; i += 2; continue; }
                        ++i;
                        break;
                    }
                    value += text[i++];
                }
            } else {
                start = i;
                while (i < text.size() && text[i] != ' ') ++i;
                value = text.substr(start, i - start);
            }
            line.values[word] = value;
        } else {
            line.words.push_back(word);
        }
    }
    return line;
}

int number_of(const Line& line, const std::string& key, int fallback, int line_number) {
    auto it = line.values.find(key);
    if (it == line.values.end()) return fallback;
    int value = 0;
    auto [end, ec] = std::from_chars(it->second.data(), it->second.data() + it->second.size(), value);
    if (ec != std::errc() || end != it->second.data() + it->second.size())
        throw std::runtime_error("layout line " + std::to_string(line_number) + ": " + key + " is not a number");
    return value;
}

std::unique_ptr<Control> make_control(const std::string& kind, const std::string& name) {
    if (kind == "elastic") return std::make_unique<ElasticContainer>(name);
    if (kind == "image") return std::make_unique<Image>(name);
    if (kind == "frame") return std::make_unique<Frame>(name);
    if (kind == "label") return std::make_unique<Label>(name);
    if (kind == "textbox") return std::make_unique<TextBox>(name);
    if (kind == "combobox") return std::make_unique<ComboBox>(name);
    if (kind == "checkbox") return std::make_unique<CheckBox>(name);
    if (kind == "button") return std::make_unique<CommandButton>(name);
    if (kind == "ole") return std::make_unique<OleContainer>(name);
    return nullptr;
}

}  // namespace

std::unique_ptr<Form> Form::from_layout(std::string_view layout) {
    std::unique_ptr<Form> form(new Form());
    int number = 0;
    bool have_form = false;
    while (!layout.empty()) {
        ++number;
        std::size_t end = layout.find('\n');
        std::string_view text = layout.substr(0, end);
        layout = end == std::string_view::npos ? std::string_view() : layout.substr(end + 1);
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.find_first_not_of(' ') == std::string_view::npos || text.front() == '#') continue;

        Line line = parse_line(text, number);
        auto fail = [&](const std::string& why) {
            throw std::runtime_error("layout line " + std::to_string(number) + ": " + why);
        };
        if (line.words.size() >= 2 && line.words[0] == "form" && !have_form) {
            have_form = true;
            form->name_ = line.words[1];
            form->is_document = line.words.size() > 2 && line.words[2] == "document";
            auto client = line.values["client"];
            auto x = client.find('x');
            if (x == std::string::npos) fail("client=<width>x<height> expected");
            form->ScaleWidth = std::stoi(client.substr(0, x));
            form->ScaleHeight = std::stoi(client.substr(x + 1));
            form->Width = form->ScaleWidth + (form->is_document ? 0 : kFrameWidth);
            form->Height = form->ScaleHeight + (form->is_document ? 0 : kFrameHeight);
            form->Caption = utf16(line.values["caption"]);
        } else if (line.words.size() == 3 && line.words[0] == "control" && have_form) {
            auto control = make_control(line.words[2], line.words[1]);
            if (!control) fail("unknown kind of control " + line.words[2]);
            if (form->find(control->name())) fail("a second control named " + control->name());
            control->form_ = form.get();
            const std::string parent = line.values.count("parent") ? line.values["parent"] : "-";
            if (parent != "-") {
                control->container_ = form->find(parent);
                if (!control->container_) fail("unknown parent " + parent);
            }
            control->Left = number_of(line, "left", 0, number);
            control->Top = number_of(line, "top", 0, number);
            control->Width = number_of(line, "width", 0, number);
            control->Height = number_of(line, "height", 0, number);
            control->TabIndex = number_of(line, "tab", -1, number);
            control->Enabled = number_of(line, "enabled", 1, number) != 0;
            control->Visible = number_of(line, "visible", 1, number) != 0;
            control->Caption = utf16(line.values["caption"]);
            if (auto* label = dynamic_cast<Label*>(control.get())) {
                const auto& align = line.values["align"];
                label->Alignment = align == "right" ? Label::Align::Right
                                 : align == "center" ? Label::Align::Center
                                                     : Label::Align::Left;
            }
            if (auto* frame = dynamic_cast<Frame*>(control.get()))
                frame->BorderStyle = number_of(line, "border", 1, number) != 0;
            form->controls_.push_back(std::move(control));
        } else {
            fail("expected a form line first, then control lines");
        }
    }
    if (!have_form) throw std::runtime_error("layout has no form line");
    return form;
}

}  // namespace forms
