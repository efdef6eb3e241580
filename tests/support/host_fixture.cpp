#include "support/host_fixture.h"

#include <fstream>

#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_session_context.h"
#include "platform/network.h"
#include "platform/platform_classes.h"

namespace fs = std::filesystem;

TestHost::TestHost()
    : saved_(host_environment()),
      default_database_(kDefaultDatabaseVariable),
      root(tree_.outside()),
      network(tree_.root()),
      temp(root / "temp"),
      database_file(root / "host.db") {
    fs::create_directories(temp);
    set_connections_file(network / "drives.txt");
    database_ = std::make_unique<MediaDatabase>(MediaDatabase::create(database_file));

    HostEnvironment env = default_host_environment();
    env.database = database_file;
    env.temp_folder = temp;
    env.application_title = u"Test Host";
    configure_host(env);
    register_host_classes();
    register_platform_classes();
}

TestHost::~TestHost() {
    database_.reset();
    revoke_host_classes();
    configure_host(saved_);
}

void TestHost::write_drives(const std::vector<std::string>& lines) const {
    std::ofstream out(network / "drives.txt");
    for (const auto& line : lines) out << line << "\n";
}

fs::path TestHost::make_network_file(const std::string& relative, const std::string& content) const {
    return tree_.file(relative, content);
}

ComPtr<ISessionContext> TestHost::session() const { return open_host_session(database_file); }

void HostFixture::SetUp() {
    host.emplace();
    root = host->root;
    network = host->network;
    database_file = host->database_file;
    temp = host->temp;
}
