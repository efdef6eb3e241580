// The benchmark's database on a server: a private PostgreSQL cluster (as the tests start one),
// filled afresh before each run with the corpus database's records.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "testkit/postgres_cluster.h"
#include "testkit/server_media_database.h"

class BenchServer {
public:
    // Starts the cluster; raises std::runtime_error when PostgreSQL is not installed or will not start.
    BenchServer();

    // The schema dbo made afresh with every record of the SQLite host database file corpus.
    void fill_from(const std::filesystem::path& corpus);
    // For pathmender update --connection.
    std::string connection_string() const;
    // A record's Object as the server holds it now.
    std::optional<std::vector<std::uint8_t>> read(const std::u16string& table, std::int64_t media_id) const;

private:
    std::unique_ptr<PostgresCluster> cluster_;
    mutable std::unique_ptr<ServerMediaDatabase> reader_;  // one connection for every read
};
