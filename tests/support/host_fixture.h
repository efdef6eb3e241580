// A host of the test's own: a temporary folder holding a network folder (with its connections
// file), a host database and the host's temporary folder; the host's environment made on them, its
// classes and the platform's registered; all of it put back when it goes.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "com/comptr.h"
#include "contracts/host_services.h"
#include "hostapp/services/host_environment.h"
#include "testkit/media_database.h"
#include "support/network_tree.h"

class udPathmender;

class TestHost {
public:
    TestHost();
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // Writes the connections file, one "LOCAL REMOTE" line each.
    void write_drives(const std::vector<std::string>& lines) const;
    // Creates a file (and its folders) below the network folder: "Server/Share/dir/name".
    std::filesystem::path make_network_file(const std::string& relative, const std::string& content = "x") const;
    // A new session of the host on its database.
    ComPtr<ISessionContext> session() const;
    // The host's environment; a change registers the host's classes again, with the new one.
    const HostEnvironmentRef& environment() const { return environment_; }
    void configure(const std::function<void(HostEnvironment&)>& change);
    MediaDatabase& database() { return *database_; }

private:
    NetworkTree tree_;

public:
    // Made from the network tree, so declared after it.
    const std::filesystem::path root, network, temp, database_file;

private:
    std::unique_ptr<MediaDatabase> database_;
    HostEnvironmentRef environment_;
};

// A new host for each test.
class HostFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { host.reset(); }

    void write_drives(const std::vector<std::string>& lines) { host->write_drives(lines); }
    std::filesystem::path make_network_file(const std::string& relative, const std::string& content = "x") {
        return host->make_network_file(relative, content);
    }
    ComPtr<ISessionContext> host_session() { return host->session(); }
    void configure_host(const std::function<void(HostEnvironment&)>& change) { host->configure(change); }
    MediaDatabase& database() { return host->database(); }
    // Opens the page as the shell does: creation, then Initialize, then Init with a session of the
    // host unless told not to.
    ComPtr<udPathmender> open_page(bool hand_over_session = true);

    std::optional<TestHost> host;
    std::filesystem::path root, network, database_file, temp;
};
