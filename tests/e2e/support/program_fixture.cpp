#include "e2e/support/program_fixture.h"

#include <gtest/gtest.h>

void ProgramFixture::SetUpTestSuite() {
    registry_ = std::make_unique<ScopedRegistry>();
    TempFolder output;
    ChildResult registered = ChildProgram({"register"}, output.path()).wait();
    ASSERT_EQ(registered.status, 0) << registered.err;
}

void ProgramFixture::SetUp() {
    HostFixture::SetUp();
    write_drives({"Z: \\\\NewServer\\Media"});
}

ChildOptions ProgramFixture::in_temp(ChildOptions options) const {
    options.environment.try_emplace("TMPDIR", temp.string());
    return options;
}

ChildResult ProgramFixture::run(const std::vector<std::string>& arguments, const ChildOptions& options) const {
    return ChildProgram(arguments, root, options).wait();
}

std::vector<std::string> ProgramFixture::update_arguments(const std::string& previous,
                                                          const std::vector<std::string>& more,
                                                          const std::filesystem::path& database) const {
    std::vector<std::string> arguments{"update", "--db", (database.empty() ? database_file : database).string(),
                                       "--network", network.string(), "--previous", previous};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

ChildResult ProgramFixture::update(const std::string& previous, const std::vector<std::string>& more,
                                   ChildOptions options) const {
    return run(update_arguments(previous, more), in_temp(std::move(options)));
}
