// What the desktop front end's tests share: the layouts from the source tree, widgets found by
// their control's name, answering modal windows from the event loop, and what a window draws.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "platform/forms/form.h"

namespace gui_test {

// A form built from a layout file of resources/.
std::unique_ptr<forms::Form> form_from_resources(const std::string& file_name);

// The widget that draws the control of that name, under root; fails the test when there is none.
QWidget* widget_named(const QWidget* root, const std::string& name);

// Once a modal window for which accept(window) is true is up, runs act on it from the event loop.
// Fails the test (and leaves the window alone) if none shows up.
void when_modal(std::function<bool(QWidget*)> accept, std::function<void(QWidget*)> act);

// The host shell's window, when it is shown.
QWidget* shell_window();

// How many pixels inside area of what widget draws differ from background.
int drawn_pixels(QWidget* widget, const QRect& area, const QColor& background);

// Lets the toolkit deliver what is pending (show, resize, paint), without user input.
void settle();

}  // namespace gui_test
