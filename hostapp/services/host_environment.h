// The stand-in host's configuration: which database it opens, where its temporary files and its
// page file live, the title it shows, and the hooks of the program that set it up. The host hands
// one environment to every object it makes for a session; nothing of it is process-wide.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "hostapp/db/host_hooks.h"

// The variable naming the host installation's default database, read by the stand-alone API.
inline constexpr char kDefaultDatabaseVariable[] = "PATHMENDER_DB";

struct HostEnvironment {
    std::filesystem::path database;      // empty: none; the default is $PATHMENDER_DB
    // An ODBC connection string: the database is on a server, and a session's is this one, not a file.
    std::u16string connection;
    // The default: $TMPDIR; else a memory file system private to the user; else /tmp.
    std::filesystem::path temp_folder;
    std::filesystem::path page_folder;   // the default is the folder of the running program
    std::u16string application_title = u"Pathmender Host";
    int busy_timeout_ms = 5000;          // how long a database call waits for another's lock
    HostHooks hooks;                     // none unless a program watches, journals or previews
};

// What the host objects share: one environment, fixed for as long as they live.
using HostEnvironmentRef = std::shared_ptr<const HostEnvironment>;

// The environment as the process's variables and location make it.
HostEnvironment default_host_environment();

// A folder as the host hands it out: UTF-16, ending in a separator.
std::u16string folder_text(const std::filesystem::path& folder);
