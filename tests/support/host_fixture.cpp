#include "support/host_fixture.h"

#include <fstream>

#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_session_context.h"
#include "platform/network.h"
#include "platform/platform_classes.h"

namespace fs = std::filesystem;

TestHost::TestHost()
    : root(tree_.outside()),
      network(tree_.root()),
      temp(root / "temp"),
      database_file(root / "host.db") {
    fs::create_directories(temp);
    set_connections_file(network / "drives.txt");
    database_ = std::make_unique<MediaDatabase>(MediaDatabase::create(database_file));

    configure([&](HostEnvironment& env) {
        env = default_host_environment();
        env.database = database_file;
        env.temp_folder = temp;
        env.application_title = u"Test Host";
    });
    register_platform_classes();
}

TestHost::~TestHost() {
    database_.reset();
    revoke_host_classes();
}

void TestHost::configure(const std::function<void(HostEnvironment&)>& change) {
    HostEnvironment environment = environment_ ? *environment_ : HostEnvironment{};
    change(environment);
    environment_ = std::make_shared<const HostEnvironment>(std::move(environment));
    register_host_classes(environment_);
}

void TestHost::write_drives(const std::vector<std::string>& lines) const {
    std::ofstream out(network / "drives.txt");
    for (const auto& line : lines) out << line << "\n";
}

fs::path TestHost::make_network_file(const std::string& relative, const std::string& content) const {
    return tree_.file(relative, content);
}

ComPtr<ISessionContext> TestHost::session() const { return open_host_session(environment_); }

void HostFixture::SetUp() {
    host.emplace();
    root = host->root;
    network = host->network;
    database_file = host->database_file;
    temp = host->temp;
}
