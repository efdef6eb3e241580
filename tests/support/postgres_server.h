// The test program's one PostgreSQL cluster (testkit/postgres_cluster.h): made by the first test
// that asks for it, stopped and removed when the program ends.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "testkit/postgres_cluster.h"

// The cluster, or null with why not: PostgreSQL is not installed (a test skips) or the cluster
// could not be started (a test fails).
PostgresCluster* test_postgres_cluster(std::string* why_not, bool* installed);

// In a test or its SetUp: the cluster, skipping the test when PostgreSQL is not installed.
#define PM_REQUIRE_POSTGRES(cluster)                                                     \
    do {                                                                                 \
        std::string pm_why_not;                                                          \
        bool pm_installed = false;                                                       \
        (cluster) = test_postgres_cluster(&pm_why_not, &pm_installed);                   \
        if (!pm_installed) GTEST_SKIP() << pm_why_not;                                   \
        ASSERT_NE((cluster), nullptr) << pm_why_not;                                     \
    } while (false)
