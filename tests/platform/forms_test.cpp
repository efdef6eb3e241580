#include <gtest/gtest.h>

#include "com/error.h"
#include "platform/forms/form.h"
#include "platform/forms/recording_window_system.h"

using namespace forms;

namespace {

constexpr char kLayout[] = R"(# a small window
form sample client=3000x2000 caption="A ""quoted"" caption"
control box frame parent=- left=100 top=100 width=2000 height=1500 tab=3
control name textbox parent=box left=10 top=20 width=500 height=300 tab=1
control pick combobox parent=box left=10 top=400 width=500 height=300 tab=0
control off checkbox parent=box left=10 top=800 width=500 height=300 tab=2 enabled=0 caption="Off"
control go button parent=- left=10 top=1700 width=500 height=300 tab=4 caption="Go"
control note label parent=- left=0 top=0 width=100 height=100 tab=5 align=right caption="Note:"
)";

TEST(FormLayout, BuildsControlsWithPositionsTextsAndContainers) {
    auto form = Form::from_layout(kLayout);
    EXPECT_EQ(form->name(), "sample");
    EXPECT_EQ(form->Caption, u"A \"quoted\" caption");
    EXPECT_EQ(form->ScaleWidth, 3000);
    EXPECT_GT(form->Width, form->ScaleWidth);  // a window has a frame around its client area
    auto* name = form->get<TextBox>("name");
    EXPECT_EQ(name->container(), form->find("box"));
    EXPECT_EQ(name->absolute_left(), 110);
    EXPECT_EQ(name->absolute_top(), 120);
    EXPECT_FALSE(form->get<CheckBox>("off")->Enabled);
    EXPECT_EQ(form->get<Label>("note")->Alignment, Label::Align::Right);
    EXPECT_EQ(form->get<CommandButton>("go")->Caption, u"Go");
    EXPECT_THROW(form->get<Label>("go"), std::logic_error);
}

TEST(FormLayout, RefusesMalformedLayouts) {
    const char* bad[] = {
        "control x label parent=-",                                   // no form line first
        "form f client=10x10\ncontrol x gizmo parent=-",              // unknown kind
        "form f client=10x10\ncontrol x label parent=nowhere",       // unknown parent
        "form f client=10x10\ncontrol x label left=ten",              // not a number
        "form f client=10x10\ncontrol x label caption=\"open",        // unterminated text
        "form f client=10x10\ncontrol x label\ncontrol x label",      // a name twice
        "",                                                           // nothing at all
    };
    for (const char* layout : bad) EXPECT_THROW(Form::from_layout(layout), std::runtime_error) << layout;
}

TEST(FormFocus, TabOrderSkipsWhatCannotTakeFocus) {
    auto form = Form::from_layout(kLayout);
    std::vector<std::string> names;
    for (Control* c : form->tab_order()) names.push_back(c->name());
    EXPECT_EQ(names, (std::vector<std::string>{"pick", "name", "go"}));

    form->load();
    EXPECT_EQ(form->ActiveControl()->name(), "pick");
    form->tab();
    EXPECT_EQ(form->ActiveControl()->name(), "name");
    form->tab();
    form->tab();
    EXPECT_EQ(form->ActiveControl()->name(), "pick");  // wraps around

    form->find("box")->Enabled = false;  // a disabled container takes its children with it
    EXPECT_FALSE(form->get<TextBox>("name")->can_focus());
    try {
        form->get<TextBox>("name")->SetFocus();
        FAIL() << "focus went to a disabled control";
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, 5);
    }
}

TEST(TextBox, TypingReplacesTheSelection) {
    auto form = Form::from_layout(kLayout);
    auto* box = form->get<TextBox>("name");
    box->type(u"\\\\Old");
    EXPECT_EQ(box->Text(), u"\\\\Old");
    EXPECT_EQ(box->SelStart(), 5);
    box->set_SelStart(2);
    box->set_SelLength(100);  // clipped to the text
    EXPECT_EQ(box->SelLength(), 3);
    box->type(u"New");
    EXPECT_EQ(box->Text(), u"\\\\New");
    box->set_Text(u"x");
    EXPECT_EQ(box->SelStart(), 0);
    EXPECT_THROW(box->set_SelStart(-1), ComError);
}

TEST(ComboBox, EntriesItemDataAndSelection) {
    auto form = Form::from_layout(kLayout);
    auto* list = form->get<ComboBox>("pick");
    EXPECT_EQ(list->ListIndex(), -1);
    list->AddItem(u"Y:");
    list->set_ItemData(list->NewIndex(), 1);
    list->AddItem(u"Z:");
    list->set_ItemData(list->NewIndex(), 5);
    EXPECT_EQ(list->ListCount(), 2);
    EXPECT_EQ(list->ItemData(1), 5);
    list->set_ListIndex(1);
    EXPECT_EQ(list->List(list->ListIndex()), u"Z:");
    EXPECT_THROW(list->set_ListIndex(2), ComError);
    EXPECT_THROW(list->ItemData(-1), ComError);
    list->Clear();
    EXPECT_EQ(list->ListIndex(), -1);
}

TEST(Buttons, DisabledControlsIgnoreClicks) {
    auto form = Form::from_layout(kLayout);
    int presses = 0;
    auto* go = form->get<CommandButton>("go");
    go->Click = [&] { ++presses; };
    go->press();
    go->Enabled = false;
    go->press();
    EXPECT_EQ(presses, 1);
    auto* off = form->get<CheckBox>("off");
    off->click();
    EXPECT_EQ(off->Value, 0);
}

TEST(ElasticContainer, ChildrenFollowAsTheOptionsSay) {
    auto form = Form::from_layout(R"(form p document client=1000x1000
control el elastic parent=- left=30 top=30 width=900 height=800
control pic image parent=el left=0 top=0 width=200 height=700
control body frame parent=el left=210 top=0 width=600 height=750
)");
    auto* el = form->get<ElasticContainer>("el");
    el->options() = {8, 3, 2, 0};
    el->Move(0, 0, 1900, 1300);
    EXPECT_EQ(std::tie(el->Left, el->Top, el->Width, el->Height), std::make_tuple(0, 0, 1900, 1300));
    auto* pic = form->get<Image>("pic");
    auto* body = form->get<Frame>("body");
    EXPECT_EQ(pic->Width, 200);     // the picture keeps its width
    EXPECT_EQ(pic->Height, 1200);   // and keeps its bottom margin of 100
    EXPECT_EQ(body->Width, 1600);   // the frame keeps its right margin of 90
    EXPECT_EQ(body->Height, 1250);
    el->Move(0, 0, 10, 10);         // shrinking never gives negative sizes
    EXPECT_EQ(body->Width, 0);
    el->Move(0, 0, 900, 800);       // and growing back gives the design layout again
    EXPECT_EQ(body->Width, 600);
    EXPECT_EQ(pic->Height, 700);
    el->options().Setting3 = 7;     // a layout it does not know fails loudly
    EXPECT_THROW(el->Move(0, 0, 100, 100), ComError);
}

// The rest of what window systems do is the contract every one of them is held to.
TEST(WindowSystem, AHeadlessModalShowOfAFormThatNeverUnloadsFailsRatherThanHangs) {
    ScopedRecorder scope;
    auto stuck = Form::from_layout(kLayout);
    EXPECT_THROW(window_system().show_modal(*stuck), ComError);
    EXPECT_FALSE(stuck->loaded());
    EXPECT_EQ(scope.recorder.events, (std::vector<std::string>{"show sample"}));
}

}  // namespace
