// Runs the page the way a user would, without a screen: the host is set up for a database and a
// network folder, the plug-in is loaded as the host loads it, the page is opened, the previous
// server name typed, a drive picked, the search mode chosen, Update pressed, and the plug-in
// closed down. The page's messages go to whatever window system is installed.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "hostapp/db/database_location.h"
#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/shell/plugin_loader.h"

struct PageRequest {
    std::filesystem::path database;
    std::u16string connection;             // on a server: its ODBC connection string, in place of database
    std::filesystem::path network;
    std::filesystem::path drives;          // empty: <network>/drives.txt
    std::u16string previous_server;        // typed exactly as given
    std::optional<std::u16string> drive;   // the local name of the entry to pick; none: the first
    bool exact = false;                    // tick "Use previous directory structure..."

    DatabaseLocation location() const {
        return connection.empty() ? DatabaseLocation::of_file(database) : DatabaseLocation::on_server(connection);
    }
};

// Why a scripted run could not happen, with the program's exit status for it.
struct PageScriptError : std::runtime_error {
    PageScriptError(int status, const std::string& why) : std::runtime_error(why), exit_status(status) {}
    int exit_status;  // 2: bad arguments; 1: the page could not be brought up
};

inline constexpr char16_t kPluginProgID[] = u"Pathmender.cUpdateLinks";

// Checks the request's files (a file that is not a host database is refused before anything
// opens it) and configures the network and the platform's classes for it. Raises PageScriptError.
void check_page_request(const PageRequest& request);

// The host set up for a request that check_page_request passed: its classes registered with an
// environment that carries the program's hooks, and revoked when it goes.
class PreparedHost {
public:
    explicit PreparedHost(const PageRequest& request, HostHooks hooks = {});

    const HostEnvironment& environment() const { return *environment_; }
    // Loads the plug-in as the host does and opens its page. Raises PageScriptError with status 1
    // when the plug-in cannot be loaded.
    std::unique_ptr<LoadedPlugin> load_plugin_with_page() const;

private:
    HostEnvironmentRef environment_;
    HostClassRegistration classes_;
};

// One scripted press of Update on the page of the host set up for request. Raises PageScriptError.
void press_update(const PreparedHost& host, const PageRequest& request);
// check_page_request, the host set up with hooks, and one scripted press of Update.
void run_page_update(const PageRequest& request, HostHooks hooks = {});

// The page in a desktop window, where the program has a desktop front end: set up the host, open
// the page in a window of the host shell, and return when the user closes it. Its runs are kept
// in the undo journal in journal; none: in none.
using DesktopPageRunner = void (*)(const PageRequest& request, const std::optional<std::filesystem::path>& journal);
// Whether there is a display to show a window on.
bool has_display();

// The local name of a drive-list entry: its text before the blanks and the share in parentheses.
std::u16string entry_local_name(std::u16string_view entry);
