// pathmender page where there is no display to show it on: one line that says so and status 1,
// where the toolkit would have aborted the program.
#include <optional>
#include <string>

#include "e2e/support/program_fixture.h"
#include "support/scoped.h"

namespace {

using PageWithoutDisplay = ProgramFixture;

TEST_F(PageWithoutDisplay, SaysSoInOneLineAndEndsWithStatusOne) {
#ifndef PATHMENDER_WITH_GUI
    GTEST_SKIP() << "pathmender page comes with the desktop front end, which this build leaves out";
#endif
    const std::string advice = " to show the page on (set DISPLAY, or use pathmender update)\n";
    struct Case {
        std::optional<std::string> display;
        std::string err;
    } cases[] = {
        {std::nullopt, "pathmender: no display" + advice},
        {":4711", "pathmender: the display :4711 cannot be reached" + advice},  // no server there
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("DISPLAY=" + c.display.value_or("(unset)"));
        ScopedVariable x11("DISPLAY", c.display ? c.display->c_str() : nullptr);
        ScopedVariable wayland("WAYLAND_DISPLAY", nullptr), platform("QT_QPA_PLATFORM", nullptr);
        ChildResult r = run({"page", "--db", database_file.string(), "--network", network.string()});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
