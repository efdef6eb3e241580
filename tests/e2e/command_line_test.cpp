// The program's own command line: what it says and the status it ends with, before any command runs.
#include <fstream>
#include <string>

#include "e2e/support/program_fixture.h"

namespace {

using CommandLine = ProgramFixture;

// The version the module's own version information gives.
std::string module_version() {
    std::ifstream file(PATHMENDER_SOURCE_DIR "/resources/version_info.txt");
    for (std::string line; std::getline(file, line);)
        if (line.starts_with("ProductVersion=")) return line.substr(15);
    return "?";
}

TEST_F(CommandLine, SaysWhatItIsAndEndsWithTheStatusScriptsExpect) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out_has, err_has;
    } cases[] = {
        {{"--version"}, 0, module_version() + "\n", ""},
        {{}, 2, "", "Usage: pathmender"},
        {{"frobnicate"}, 2, "", "unknown command 'frobnicate'"},
        {{"--bogus"}, 2, "", "--bogus"},
        {{"update", "--frob"}, 2, "", "update has no option '--frob'"},
        {{"update", "--previous", "-not-an-option", "--frob=1"}, 2, "", "update has no option '--frob'"},
        {{"undo", "--run", "0", "--db", "x"}, 2, "", "a run's ID is a whole number from 1"},
    };
    for (const Case& c : cases) {
        std::string name;
        for (const std::string& word : c.arguments) name += word + " ";
        ChildResult r = run(c.arguments);
        EXPECT_EQ(r.status, c.status) << name;
        EXPECT_NE(r.out.find(c.out_has), std::string::npos) << name << ": " << r.out;
        EXPECT_NE(r.err.find(c.err_has), std::string::npos) << name << ": " << r.err;
    }
    EXPECT_NE(run({"frobnicate"}).err.find("update"), std::string::npos) << "the commands there are";
}

}  // namespace
