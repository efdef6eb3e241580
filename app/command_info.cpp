// pathmender info: loads the plug-in through the registry as the host does (create by ProgID,
// OnInit, header members, URL, ProgID, OnClosedown, release, unload) and prints what it says.
#include <iostream>
#include <memory>

#include "com/error.h"
#include "com/utf.h"
#include "contracts/document_view.h"
#include "app/commands.h"
#include "hostapp/services/host_application.h"
#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_session_context.h"
#include "app/page_script.h"
#include "app/type_library_listing.h"
#include "hostapp/shell/plugin_loader.h"

namespace {

void run_info(bool with_type_library) {
    const auto environment = std::make_shared<const HostEnvironment>(default_host_environment());
    const HostClassRegistration classes(environment);
    try {
        auto session = open_host_session(environment);
        auto plugin = LoadedPlugin::load(kPluginProgID, create_host_application(session));
        PluginHeader header = plugin->header();
        std::cout << "Caption: " << utf8(header.caption) << "\n"
                  << "Name: " << utf8(header.name) << "\n"
                  << "Description: " << utf8(header.description) << "\n"
                  << "Image: " << utf8(header.image) << "\n"
                  << "Group: " << utf8(header.group) << "\n"
                  << "URL: " << utf8(header.url) << "\n"
                  << "ProgID: " << utf8(header.prog_id) << "\n"
                  << "Module: " << plugin->module_path().string() << "\n";
        if (with_type_library) print_type_library(*plugin);
        plugin->close();
    } catch (...) {
        fail_command("cannot load " + utf8(kPluginProgID) + ": " + current_error_text());
    }
}

}  // namespace

void add_info_command(CLI::App& app) {
    auto with_type_library = std::make_shared<bool>(false);
    auto* info = app.add_subcommand("info", "Load the registered plug-in as the host does and print its header");
    info->add_flag("--type-library", *with_type_library, "Also list the plug-in's type library");
    info->callback([with_type_library] { run_info(*with_type_library); });
}
