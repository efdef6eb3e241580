#include "app/page_script.h"

#include <cstdlib>

#include "app/page_network.h"
#include "com/error.h"
#include "com/registry.h"
#include "com/utf.h"
#include "hostapp/services/host_application.h"
#include "hostapp/services/host_session_context.h"
#include "platform/case_insensitive.h"
#include "platform/forms/form.h"

namespace fs = std::filesystem;

namespace {

std::string current_text() { return utf8(error_text(error_from_current_exception())); }

int find_entry(const forms::ComboBox& drives, std::u16string_view local) {
    for (int i = 0; i < drives.ListCount(); ++i)
        if (equal_ignoring_case(entry_local_name(drives.List(i)), local)) return i;
    return -1;
}

HostEnvironmentRef environment_for(const PageRequest& request, HostHooks hooks) {
    HostEnvironment environment = default_host_environment();
    if (request.connection.empty()) environment.database = fs::absolute(request.database);
    environment.connection = request.connection;
    environment.hooks = hooks;
    return std::make_shared<const HostEnvironment>(std::move(environment));
}

}  // namespace

void check_page_request(const PageRequest& request) {
    check_network_arguments(request);
    // A file that is not a host database is refused before anything opens it, so none is made of it.
    try {
        check_host_database(request.location());
    } catch (...) {
        throw PageScriptError(1, current_text());
    }
    configure_network(request);
}

std::u16string entry_local_name(std::u16string_view entry) {
    return std::u16string(entry.substr(0, entry.find(u"     (")));
}

PreparedHost::PreparedHost(const PageRequest& request, HostHooks hooks)
    : environment_(environment_for(request, hooks)), classes_(environment_) {}

std::unique_ptr<LoadedPlugin> PreparedHost::load_plugin_with_page() const {
    try {
        auto plugin = LoadedPlugin::load(kPluginProgID, create_host_application(open_host_session(environment_)));
        plugin->open_page();
        return plugin;
    } catch (...) {
        const std::string why = current_text();
        CLSID clsid;
        const bool registered = SUCCEEDED(CLSIDFromProgID(olechars(kPluginProgID), &clsid));
        throw PageScriptError(1, "cannot load the plug-in " + utf8(kPluginProgID) + ": " + why +
                                     (registered ? "" : " (pathmender register records it)"));
    }
}

bool has_display() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

void run_page_update(const PageRequest& request, HostHooks hooks) {
    check_page_request(request);
    press_update(PreparedHost(request, hooks), request);
}

void press_update(const PreparedHost& host, const PageRequest& request) {
    auto plugin = host.load_plugin_with_page();

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
