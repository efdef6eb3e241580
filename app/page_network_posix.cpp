#include "app/page_network.h"

#include "com/error.h"
#include "com/utf.h"
#include "platform/network.h"
#include "platform/platform_classes.h"

namespace fs = std::filesystem;

void check_network_arguments(const PageRequest& request) {
    std::error_code ec;
    if (!fs::is_directory(request.network, ec))
        throw PageScriptError(2, "no network folder " + request.network.string());
    if (!request.drives.empty() && !fs::is_regular_file(request.drives, ec))
        throw PageScriptError(2, "no connections file " + request.drives.string());
}

void configure_network(const PageRequest& request) {
    std::error_code ec;
    // The page would only say that it found no mapped drive.
    if (fs::directory_iterator(request.network, ec); ec)
        throw PageScriptError(1, "the network folder " + request.network.string() +
                                     " cannot be read: " + ec.message());

    set_network_root(fs::absolute(request.network));
    set_connections_file(request.drives.empty() ? fs::path() : fs::absolute(request.drives));
    register_platform_classes();
    // The page would only say that it found no mapped drive, or fail to load.
    try {
        read_network_connections();
    } catch (...) {
        throw PageScriptError(1, utf8(error_text(error_from_current_exception())));
    }
}

void add_network_options(CLI::App& command, PageRequest& request) {
    command.add_option("--network", request.network, "The network folder: <server>/<share>/...")->required();
    command.add_option("--drives", request.drives, "The workstation's connections (default: NETWORK/drives.txt)");
}
