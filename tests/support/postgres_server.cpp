#include "support/postgres_server.h"

#include <memory>
#include <optional>

namespace {

struct SharedCluster {
    bool tried = false;
    bool installed = false;
    std::string why_not;
    std::unique_ptr<PostgresCluster> cluster;
};

SharedCluster& shared() {
    static SharedCluster cluster;
    return cluster;
}

// Stops the cluster when the tests have run, before static objects go.
class PostgresEnvironment : public testing::Environment {
public:
    void TearDown() override { shared().cluster.reset(); }
};

[[maybe_unused]] testing::Environment* const registered = testing::AddGlobalTestEnvironment(new PostgresEnvironment);

}  // namespace

PostgresCluster* test_postgres_cluster(std::string* why_not, bool* installed) {
    SharedCluster& s = shared();
    if (!s.tried) {
        s.tried = true;
        if (std::optional<std::filesystem::path> binaries = PostgresCluster::find_binaries()) {
            s.installed = true;
            try {
                s.cluster = std::make_unique<PostgresCluster>(*binaries);
            } catch (const std::exception& e) {
                s.why_not = std::string("The test PostgreSQL cluster could not be started: ") + e.what();
            }
        } else {
            s.why_not = "PostgreSQL is not installed (no initdb under /usr/lib/postgresql/*/bin)";
        }
    }
    *why_not = s.why_not;
    *installed = s.installed;
    return s.cluster.get();
}
