// A private PostgreSQL server for tests: a cluster made with initdb in a new temporary folder,
// listening only on a Unix socket in that folder (no TCP port), with a password login. It runs as
// the user of the process, or as nobody when that is root (PostgreSQL refuses to run as root).
// Stopped and removed with its folder when the object goes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// How to log in to a cluster; a test may change a copy to log in wrongly.
struct PostgresLogin {
    std::filesystem::path socket_folder;
    int port = 5432;
    std::string database = "postgres";
    std::string user = "pathmender";
    std::string password;

    // A connection string for the psqlODBC driver registered as "PostgreSQL Unicode".
    std::u16string odbc_connection_string() const;
};

class PostgresCluster {
public:
    // The folder of PostgreSQL's server programs, /usr/lib/postgresql/<version>/bin of the newest
    // version installed; nothing when there is none.
    static std::optional<std::filesystem::path> find_binaries();

    // Makes the cluster and starts its server; raises std::runtime_error, with the programs'
    // output, when either fails.
    explicit PostgresCluster(std::filesystem::path binaries);
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    const PostgresLogin& login() const { return login_; }
    // Starts the server (waiting until it accepts connections) and stops it (fast: open
    // connections are cut).
    void start();
    void stop();

private:
    // Runs one of the cluster's programs as the cluster's user; raises with its output if it fails.
    void run(const std::string& program, const std::vector<std::string>& arguments) const;

    std::filesystem::path binaries_;
    std::filesystem::path folder_;
    PostgresLogin login_;
    bool running_ = false;
};
