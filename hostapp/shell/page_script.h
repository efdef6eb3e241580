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

struct PageRequest {
    std::filesystem::path database;
    std::filesystem::path network;
    std::filesystem::path drives;          // empty: <network>/drives.txt
    std::u16string previous_server;        // typed exactly as given
    std::optional<std::u16string> drive;   // the local name of the entry to pick; none: the first
    bool exact = false;                    // tick "Use previous directory structure..."
};

// Why a scripted run could not happen, with the program's exit status for it.
struct PageScriptError : std::runtime_error {
    PageScriptError(int status, const std::string& why) : std::runtime_error(why), exit_status(status) {}
    int exit_status;  // 2: bad arguments; 1: the page could not be brought up
};

inline constexpr char16_t kPluginProgID[] = u"Pathmender.cUpdateLinks";

// Configures the host and the network for request (checking that its files exist) and registers
// the host's and the platform's classes.
void prepare_host(const PageRequest& request);

class LoadedPlugin;
// Loads the plug-in as the host does and opens its page (prepare_host first). Raises
// PageScriptError with status 1 when the plug-in cannot be loaded.
std::unique_ptr<LoadedPlugin> load_plugin_with_page();

// prepare_host, then one scripted press of Update. Raises PageScriptError.
void run_page_update(const PageRequest& request);

// The page in a desktop window, where the program has one (the Qt front end installs it): prepare
// the host, open the page in a window of the host shell, and return when the user closes it.
using DesktopPageRunner = void (*)(const PageRequest& request);
void set_desktop_page_runner(DesktopPageRunner runner);
// The runner, when the program has a desktop front end and a display to show it on.
DesktopPageRunner desktop_page_runner();

// The local name of a drive-list entry: its text before the blanks and the share in parentheses.
std::u16string entry_local_name(std::u16string_view entry);
