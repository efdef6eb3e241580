// The program's runs on every kind of host database it reaches: an SQLite file (--db), and a
// database on a server through ODBC (--connection-file): PostgreSQL through psqlODBC (the test
// program's private cluster; the case is skipped where PostgreSQL is not installed) and the same
// SQLite file through the SQLite ODBC driver. A test of this fixture states its case once.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/support/program_fixture.h"
#include "support/postgres_server.h"
#include "testkit/server_media_database.h"

enum class DatabaseKind { file, postgres, sqlite_odbc };
std::string database_kind_name(const testing::TestParamInfo<DatabaseKind>& info);

// The records of the database under test, however the test reaches them.
class RecordStore {
public:
    virtual ~RecordStore() = default;
    virtual void insert(std::u16string_view table, std::int64_t media_id, std::span<const std::uint8_t> object,
                        std::optional<std::int64_t> parent_id = std::nullopt) = 0;
    virtual void insert_null_object(std::u16string_view table, std::int64_t media_id) = 0;
    virtual std::optional<std::vector<std::uint8_t>> read(std::u16string_view table, std::int64_t media_id) = 0;
    virtual Records all_records() = 0;
    virtual void in_transaction(const std::function<void()>& work) = 0;
};

class OnEveryDatabase : public ProgramFixture, public testing::WithParamInterface<DatabaseKind> {
protected:
    void SetUp() override;
    void TearDown() override;

    // The database under test's records (in place of the file's, which HostFixture gives).
    RecordStore& database() { return *store_; }
    bool on_server() const { return GetParam() != DatabaseKind::file; }
    // On a server: the connection string, and the database itself for what only a server does.
    const std::u16string& connection_string() const { return connection_; }
    ServerMediaDatabase& server() { return *server_; }

    // The options that name the database: --db FILE or --connection-file FILE.
    std::vector<std::string> database_arguments() const;
    // A command's arguments with the database named after the command's name.
    std::vector<std::string> on_database(std::vector<std::string> arguments) const;
    // The child's temporary folder is temp, a server's undo journal in the test's own folder.
    ChildOptions options(ChildOptions options = {}) const;
    std::vector<std::string> update_arguments(const std::string& previous, const std::vector<std::string>& more = {}) const;
    ChildResult update(const std::string& previous, const std::vector<std::string>& more = {},
                       const ChildOptions& more_options = {}) const;

    PostgresCluster* cluster_ = nullptr;
    std::u16string connection_;
    std::filesystem::path connection_file_;
    std::optional<ServerMediaDatabase> server_;

private:
    std::unique_ptr<RecordStore> store_;
};
