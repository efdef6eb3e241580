#include "hostapp/shell/page_script.h"

#include <cstdlib>

#include "com/error.h"
#include "com/registry.h"
#include "com/utf.h"
#include "hostapp/db/host_database.h"
#include "hostapp/services/host_application.h"
#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_session_context.h"
#include "hostapp/shell/plugin_loader.h"
#include "platform/case_insensitive.h"
#include "platform/forms/form.h"
#include "platform/network.h"
#include "platform/platform_classes.h"

namespace fs = std::filesystem;

namespace {

std::string error_text() {
    try {
        throw;
    } catch (const ComError& e) {
        return utf8(error_text(e));
    } catch (const std::exception& e) {
        return e.what();
    }
}

int find_entry(const forms::ComboBox& drives, std::u16string_view local) {
    for (int i = 0; i < drives.ListCount(); ++i)
        if (equal_ignoring_case(entry_local_name(drives.List(i)), local)) return i;
    return -1;
}

}  // namespace

std::u16string entry_local_name(std::u16string_view entry) {
    return std::u16string(entry.substr(0, entry.find(u"     (")));
}

void prepare_host(const PageRequest& request) {
    std::error_code ec;
    if (!fs::is_directory(request.network, ec))
        throw PageScriptError(2, "no network folder " + request.network.string());
    if (!request.drives.empty() && !fs::is_regular_file(request.drives, ec))
        throw PageScriptError(2, "no connections file " + request.drives.string());
    // A file that is not a host database is refused before anything opens it, so none is made of it.
    try {
        check_host_database_file(request.database);
    } catch (...) {
        throw PageScriptError(1, error_text());
    }
    // The page would only say that it found no mapped drive.
    if (fs::directory_iterator(request.network, ec); ec)
        throw PageScriptError(1, "the network folder " + request.network.string() +
                                     " cannot be read: " + ec.message());

    HostEnvironment environment = host_environment();
    environment.database = fs::absolute(request.database);
    configure_host(environment);
    set_network_root(fs::absolute(request.network));
    set_connections_file(request.drives.empty() ? fs::path() : fs::absolute(request.drives));
    register_host_classes();
    register_platform_classes();
    // The page would only say that it found no mapped drive, or fail to load.
    try {
        read_network_connections();
    } catch (...) {
        throw PageScriptError(1, error_text());
    }
}

std::unique_ptr<LoadedPlugin> load_plugin_with_page() {
    try {
        auto session = open_host_session(host_environment().database);
        auto plugin = LoadedPlugin::load(kPluginProgID, create_host_application(session));
        plugin->open_page();
        return plugin;
    } catch (...) {
        CLSID clsid;
        const bool registered = SUCCEEDED(CLSIDFromProgID(kPluginProgID, &clsid));
        throw PageScriptError(1, "cannot load the plug-in " + utf8(kPluginProgID) + ": " + error_text() +
                                     (registered ? "" : " (pathmender register records it)"));
    }
}

namespace {
DesktopPageRunner g_desktop_runner = nullptr;
}

void set_desktop_page_runner(DesktopPageRunner runner) { g_desktop_runner = runner; }

DesktopPageRunner desktop_page_runner() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool display = (x11 && *x11) || (wayland && *wayland);
    return display ? g_desktop_runner : nullptr;
}

void run_page_update(const PageRequest& request) {
    prepare_host(request);
    auto plugin = load_plugin_with_page();

    forms::Form& page = plugin->page_form();
    auto* drives = page.get<forms::ComboBox>("cboMapped");
    if (request.drive) {
        int entry = find_entry(*drives, *request.drive);
        if (entry < 0) throw PageScriptError(2, "the page lists no drive " + utf8(*request.drive));
        drives->set_ListIndex(entry);
    }
    auto* previous = page.get<forms::TextBox>("txtPrevious");
    previous->SetFocus();
    previous->type(request.previous_server);
    if (request.exact) page.get<forms::CheckBox>("chkExactMatch")->click();
    auto* update = page.get<forms::CommandButton>("cmdUpdate");
    if (!update->Enabled) throw PageScriptError(1, "the page found no mapped network drive, so Update is disabled");
    update->press();
    plugin->close();
}
