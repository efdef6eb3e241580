// The tests draw offscreen, with the desktop window system installed for the whole program.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "gui/desktop.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    testing::InitGoogleMock(&argc, argv);
    gui::DesktopSession desktop(argc, argv);
    return RUN_ALL_TESTS();
}
