#include "e2e/support/program_fixture.h"

#include <gtest/gtest.h>

#include "com/utf.h"
#include "hostapp/db/media_tables.h"

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

Records ProgramFixture::relinkable_records(int count) {
    database().in_transaction([&] {
        for (int i = 0; i < count; ++i) {
            const std::string name = "f" + std::to_string(i % 7) + "/a.xls";
            database().insert(kMediaTables[i % kMediaTables.size()], i + 1,
                              link_to(u"\\\\OldServer\\Media\\" + utf16(name)));
        }
        database().insert(u"PY7EVENTMEDIA", count + 1, read_corpus(kEmbeddedPaint));
    });
    for (int k = 0; k < 7; ++k) make_network_file("NewServer/Media/f" + std::to_string(k) + "/a.xls");
    return records();
}
