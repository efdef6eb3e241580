// The contract of forms::WindowSystem, one suite for every implementation, so that they cannot drift
// apart. A test program instantiates it with a Subject type per implementation, which gives:
//   forms::WindowSystem& system();     the implementation, installed as the process's for the
//                                      Subject's life (MsgBox and Unload reach it)
//   void answer_next_box();            the next message box is answered as Enter answers it
//   ShownBox last_box();               the caption and text the last message box showed
//   bool window_left_open(const forms::Form&);  a window of the form is still on the screen
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "com/error.h"
#include "com/utf.h"
#include "platform/forms/form.h"
#include "platform/forms/window_system.h"

struct ShownBox {
    std::u16string caption, prompt;
    bool operator==(const ShownBox&) const = default;
};

inline void PrintTo(const ShownBox& box, std::ostream* out) {
    *out << "[" << utf8(box.caption) << "] " << utf8(box.prompt);
}

template <class Subject>
class WindowSystemContract : public ::testing::Test {
protected:
    forms::WindowSystem& ws() { return subject.system(); }
    // Shows the form modally, the form's code having been set to act during its activation.
    void show() { ws().show_modal(*form); }

    Subject subject;
    std::unique_ptr<forms::Form> form = forms::Form::from_layout(
        "form contract client=3000x1500 caption=\"Contract\"\n"
        "control Label1 label parent=- left=100 top=100 width=2800 height=300 caption=\"Waiting\"\n");
};

TYPED_TEST_SUITE_P(WindowSystemContract);

// Enter answers the button the style makes the default: the first one, or the second or third
// (+256, +512); one beyond the buttons there are falls back to the first.
TYPED_TEST_P(WindowSystemContract, AMessageBoxAnsweredWithEnterReturnsTheStylesDefaultButton) {
    constexpr int abort = 3, retry = 4, ignore = 5;
    using namespace forms;
    const std::pair<int, int> cases[] = {
        {0, vbOK},           {64, vbOK},        {48, vbOK},           {16, vbOK},        {1, vbOK},
        {1 + 256, vbCancel}, {2, abort},        {2 + 256, retry},     {2 + 512, ignore}, {32 + 3, vbYes},
        {3 + 256, vbNo},     {3 + 512, vbCancel}, {32 + 4, vbYes},    {4 + 256, vbNo},   {4 + 512, vbYes},
        {5, retry},          {5 + 256, vbCancel},
    };
    for (const auto& [style, code] : cases) {
        SCOPED_TRACE("style " + std::to_string(style));
        this->subject.answer_next_box();
        EXPECT_EQ(this->ws().message_box(u"Something to say", style, u"Pathmender Host"), code);
        EXPECT_EQ(this->subject.last_box(), (ShownBox{u"Pathmender Host", u"Something to say"}));
    }
}

TYPED_TEST_P(WindowSystemContract, AMessageBoxShowsItsCaptionAndTextAsWritten) {
    const ShownBox cases[] = {
        {u"Test Host", u"Please specify a valid server name (e.g. \\\\MyPreviousServer)"},
        {u"Caption", u"<b>not bold</b> & \\\\Server"},
        {u"Überschrift", u"Ärger – ½ € \U0001F600"},
    };
    for (const ShownBox& c : cases) {
        this->subject.answer_next_box();
        this->ws().message_box(c.prompt, 64, c.caption);
        EXPECT_EQ(this->subject.last_box(), c);
    }
    this->subject.answer_next_box();
    EXPECT_EQ(forms::MsgBox(u"No caption here", 48), forms::vbOK);
    EXPECT_EQ(this->subject.last_box(), (ShownBox{forms::kDefaultCaption, u"No caption here"}));
}

TYPED_TEST_P(WindowSystemContract, AModalShowLoadsActivatesOnceAndReturnsOnceUnloaded) {
    std::vector<std::string> calls;
    this->form->Form_Load = [&] { calls.push_back("load"); };
    this->form->Form_Activate = [&] {
        calls.push_back("activate");
        EXPECT_TRUE(this->form->loaded());
        this->ws().refresh(*this->form);  // repaints, and runs none of the form's code
        EXPECT_TRUE(this->form->loaded());
        forms::Unload(*this->form);
        calls.push_back("unloaded");
    };
    this->show();
    EXPECT_EQ(calls, (std::vector<std::string>{"load", "activate", "unloaded"}));
    EXPECT_FALSE(this->form->loaded());
    EXPECT_FALSE(this->subject.window_left_open(*this->form));
}

TYPED_TEST_P(WindowSystemContract, AFormUnloadedByItsLoadIsNeverActivated) {
    int activations = 0;
    this->form->Form_Load = [&] { forms::Unload(*this->form); };
    this->form->Form_Activate = [&] { ++activations; };
    this->show();
    EXPECT_EQ(activations, 0);
    EXPECT_FALSE(this->form->loaded());
}

TYPED_TEST_P(WindowSystemContract, AFailureInActivateComesOutOfTheShowWithTheFormUnloaded) {
    this->form->Form_Activate = [] { raise_error(91, u"Object variable not set"); };
    try {
        this->show();
        ADD_FAILURE() << "the failure was lost";
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, 91);
    }
    EXPECT_FALSE(this->form->loaded());
    EXPECT_FALSE(this->subject.window_left_open(*this->form));
    // The window system carries on: the next modal show works.
    this->form->Form_Activate = [this] { forms::Unload(*this->form); };
    EXPECT_NO_THROW(this->show());
}

TYPED_TEST_P(WindowSystemContract, AFormShownAlreadyCannotBeShownModallyAgain) {
    int activations = 0;
    this->form->Form_Activate = [&] {
        if (++activations > 1) return;  // a second show must not get this far
        try {
            this->show();
            ADD_FAILURE() << "shown twice";
        } catch (const ComError& e) {
            EXPECT_EQ(e.number, 400);
        }
        EXPECT_TRUE(this->form->loaded());
        forms::Unload(*this->form);
    };
    this->show();
    EXPECT_EQ(activations, 1);
    EXPECT_FALSE(this->form->loaded());
}

TYPED_TEST_P(WindowSystemContract, UnloadAndRefreshOfAFormNotShownAreHarmless) {
    int events = 0;
    this->form->Form_Load = this->form->Form_Activate = [&] { ++events; };
    this->ws().refresh(*this->form);
    forms::Unload(*this->form);
    EXPECT_EQ(events, 0);
    EXPECT_FALSE(this->form->loaded());
}

TYPED_TEST_P(WindowSystemContract, AMessageBoxDuringAModalShowIsAnsweredAndTheShowGoesOn) {
    this->form->Form_Activate = [this] {
        this->subject.answer_next_box();
        EXPECT_EQ(forms::MsgBox(u"All linked media files were updated successfully.", 64, u"Test Host"), forms::vbOK);
        EXPECT_TRUE(this->form->loaded());
        forms::Unload(*this->form);
    };
    this->show();
    EXPECT_EQ(this->subject.last_box(), (ShownBox{u"Test Host", u"All linked media files were updated successfully."}));
    EXPECT_FALSE(this->form->loaded());
}

// A screen of at least 640 by 480 pixels, in whole pixels of 15 twips, the same at every call.
TYPED_TEST_P(WindowSystemContract, TheScreenIsAtLeastVgaInWholePixels) {
    const int width = this->ws().screen_width(), height = this->ws().screen_height();
    EXPECT_GE(width, 640 * 15);
    EXPECT_GE(height, 480 * 15);
    EXPECT_EQ(width % 15, 0);
    EXPECT_EQ(height % 15, 0);
    EXPECT_EQ(this->ws().screen_width(), width);
    EXPECT_EQ(this->ws().screen_height(), height);
}

REGISTER_TYPED_TEST_SUITE_P(WindowSystemContract, AMessageBoxAnsweredWithEnterReturnsTheStylesDefaultButton,
                            AMessageBoxShowsItsCaptionAndTextAsWritten,
                            AModalShowLoadsActivatesOnceAndReturnsOnceUnloaded, AFormUnloadedByItsLoadIsNeverActivated,
                            AFailureInActivateComesOutOfTheShowWithTheFormUnloaded,
                            AFormShownAlreadyCannotBeShownModallyAgain, UnloadAndRefreshOfAFormNotShownAreHarmless,
                            AMessageBoxDuringAModalShowIsAnsweredAndTheShowGoesOn, TheScreenIsAtLeastVgaInWholePixels);
