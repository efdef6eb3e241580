// Runs the built pathmender program against the database and network folder of a host of the
// test's own, with a registry of the suite's own in which the plug-in is registered.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "e2e/support/child_program.h"
#include "e2e/support/record_check.h"
#include "support/files.h"
#include "support/host_fixture.h"
#include "support/scoped.h"

class ProgramFixture : public HostFixture {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite() { registry_.reset(); }
    // The connections: Z: \\NewServer\Media.
    void SetUp() override;

    // Options for a child whose temporary folder is temp unless they say otherwise.
    ChildOptions in_temp(ChildOptions options = {}) const;
    // pathmender with arguments, to its end.
    ChildResult run(const std::vector<std::string>& arguments, const ChildOptions& options = {}) const;
    // The arguments of pathmender update on this test's network and database (or another), with more after --previous.
    std::vector<std::string> update_arguments(const std::string& previous, const std::vector<std::string>& more = {},
                                              const std::filesystem::path& database = {}) const;
    // pathmender update, to its end, its temporary folder temp unless options say otherwise.
    ChildResult update(const std::string& previous, const std::vector<std::string>& more = {},
                       ChildOptions options = {}) const;

    // count links to \\OldServer whose files are on the new server, over every table, and one
    // embedded object; returns every record as it is now.
    Records relinkable_records(int count);
    Records records() { return read_all_records(database().connection()); }
    std::filesystem::path journal_file() const { return database_file.string() + ".pathmender-journal"; }

private:
    static inline std::unique_ptr<ScopedRegistry> registry_;
};

inline constexpr char kCaption[] = "[Pathmender Host] ";

// The exit statuses of pathmender update.
inline constexpr int kNotBroughtUp = 1;  // the page could not be brought up
inline constexpr int kRefused = 2;       // bad arguments, or the page refused the input
inline constexpr int kSomeNotFound = 3;  // the run completed; some selected links were not found
inline constexpr int kRunError = 4;      // an error ended the run or the click
