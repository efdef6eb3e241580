// pathmender page where there is no display to show it on: one line that says so and status 1,
// where the toolkit would have aborted the program.
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "e2e/support/program_fixture.h"

namespace {

// Sets (a value) or unsets (none) environment variables for a scope; the program run inherits them.
class ScopedEnvironment {
public:
    explicit ScopedEnvironment(const std::map<std::string, std::optional<std::string>>& values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
            put(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) put(name, value);
    }

private:
    static void put(const std::string& name, const std::optional<std::string>& value) {
        if (value) ::setenv(name.c_str(), value->c_str(), 1);
        else ::unsetenv(name.c_str());
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

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
        ScopedEnvironment environment({{"DISPLAY", c.display}, {"WAYLAND_DISPLAY", std::nullopt},
                                       {"QT_QPA_PLATFORM", std::nullopt}});
        ProgramResult r = run({"page", "--db", database_file.string(), "--network", network.string()});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
