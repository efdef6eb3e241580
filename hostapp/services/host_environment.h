// The stand-in host's configuration: which database it opens, where its temporary files and its
// page file live, and the title it shows. One copy per process, read by every host service.
#pragma once

#include <filesystem>
#include <string>

#include "hostapp/db/host_database.h"

// The variable naming the host installation's default database, read by the stand-alone API.
inline constexpr char kDefaultDatabaseVariable[] = "PATHMENDER_DB";

struct HostEnvironment {
    std::filesystem::path database;      // empty: none; the default is $PATHMENDER_DB
    std::filesystem::path temp_folder;   // the default is $TMPDIR, else /tmp
    std::filesystem::path page_folder;   // the default is the folder of the running program
    std::u16string application_title = u"Pathmender Host";
    int busy_timeout_ms = 5000;          // how long a database call waits for another's lock
    WriteBacks write_backs = WriteBacks::commit;  // roll_back: a preview, nothing is written
};

// The environment as the process's variables and location make it.
HostEnvironment default_host_environment();
// The present configuration (the defaults until configure_host is called).
HostEnvironment host_environment();
// Replaces the configuration. A database given becomes the process's default database
// (PATHMENDER_DB), so that a stand-alone session opened by a page finds the same one.
void configure_host(HostEnvironment environment);

// A folder as the host hands it out: UTF-16, ending in a separator.
std::u16string folder_text(const std::filesystem::path& folder);
