// The ODBC layer against real drivers, the same cases on each: PostgreSQL through psqlODBC (the
// test program's private cluster) and an SQLite file through the SQLite ODBC driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/odbc_connection.h"
#include "hostapp/db/odbc_error.h"
#include "support/postgres_server.h"
#include "support/scoped.h"

// The PostgreSQL driver keeps a few hundred bytes of a login the server refused, after its handle
// is freed; the leak checker of a sanitizer build is told that it is the driver's, and only that.
extern "C" const char* __lsan_default_suppressions() { return "leak:psqlodbcw.so\n"; }

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

enum class Server { postgres, sqlite };

void PrintTo(Server server, std::ostream* out) { *out << (server == Server::postgres ? "PostgreSQL" : "SQLite"); }

std::string server_name(const testing::TestParamInfo<Server>& info) {
    return info.param == Server::postgres ? "PostgreSQL" : "SQLite";
}

Bytes every_byte_value() {
    Bytes bytes(256);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i);
    return bytes;
}

// Not a repeat of a short pattern, so that a piece read twice or left out shows.
Bytes megabytes(std::size_t count) {
    Bytes bytes(count * 1024 * 1024 + 7);
    std::uint32_t x = 2463534242u;
    for (std::uint8_t& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = std::uint8_t(x);
    }
    return bytes;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

class OdbcDatabaseTest : public testing::TestWithParam<Server> {
protected:
    void SetUp() override {
        if (GetParam() == Server::postgres) {
            PM_REQUIRE_POSTGRES(cluster_);
            OdbcConnection admin(connection_string());
            admin.execute(u"drop schema if exists dbo cascade");
            admin.execute(u"create schema dbo");
        }
        // Unquoted, as the host's SQL names it: PostgreSQL folds both to lower case.
        const std::u16string bytes_type = GetParam() == Server::postgres ? u"bytea" : u"blob";
        connect().execute(u"create table dbo.AP7VENDORMEDIA (MEDIAID integer primary key, Object " + bytes_type +
                          u", ParentID integer)");
    }

    std::u16string connection_string() const {
        if (GetParam() == Server::postgres) return cluster_->login().odbc_connection_string();
        return u"Driver=SQLite3;Database=:memory:;";
    }

    // On SQLite the file is attached as dbo to an empty main database, as the host's own view has it.
    OdbcConnection connect() const {
        OdbcConnection connection(connection_string());
        if (GetParam() == Server::sqlite)
            connection.execute(u"attach database '" + utf16(file_.string()) + u"' as dbo");
        return connection;
    }

    void insert(OdbcConnection& connection, std::int64_t id, const std::optional<Bytes>& object,
                std::optional<std::int64_t> parent = std::nullopt) {
        OdbcStatement insert =
            connection.prepare(u"insert into dbo.AP7VENDORMEDIA (MEDIAID, Object, ParentID) values (?, ?, ?)");
        insert.bind_int64(1, id);
        object ? insert.bind_bytes(2, *object) : insert.bind_null_bytes(2);
        parent ? insert.bind_int64(3, *parent) : insert.bind_null_int64(3);
        insert.execute();
        EXPECT_EQ(insert.row_count(), 1);
    }

    std::optional<Bytes> object_of(OdbcConnection& connection, std::int64_t id) {
        OdbcStatement select = connection.prepare(u"select Object from dbo.AP7VENDORMEDIA where MEDIAID = ?");
        select.bind_int64(1, id);
        select.execute();
        EXPECT_TRUE(select.fetch()) << "no record " << id;
        return select.get_bytes(1);
    }

    // How many rows "set Object = written where MEDIAID = id and Object = expected" changes.
    std::int64_t write_if_unchanged(OdbcConnection& connection, std::int64_t id, const Bytes& expected, const Bytes& written) {
        OdbcStatement update =
            connection.prepare(u"update dbo.AP7VENDORMEDIA set Object = ? where MEDIAID = ? and Object = ?");
        update.bind_bytes(1, written);
        update.bind_int64(2, id);
        update.bind_bytes(3, expected);
        update.execute();
        return update.row_count();
    }

    PostgresCluster* cluster_ = nullptr;
    TempFolder folder_;
    fs::path file_ = folder_.path() / "host.db";
};

INSTANTIATE_TEST_SUITE_P(Servers, OdbcDatabaseTest, testing::Values(Server::postgres, Server::sqlite), server_name);

TEST_P(OdbcDatabaseTest, RecordsComeBackExactly) {
    struct Record {
        const char* name;
        std::optional<Bytes> object;
        std::optional<std::int64_t> parent;
    };
    const std::vector<Record> records = {
        {"every byte value", every_byte_value(), 10},
        {"three megabytes", megabytes(3), std::nullopt},
        {"no bytes", Bytes{}, -1},
        {"NULL", std::nullopt, 2147483647},
        {"one byte after a long one", Bytes{0x00}, std::nullopt},
    };
    OdbcConnection connection = connect();
    for (std::size_t i = 0; i < records.size(); ++i)
        insert(connection, std::int64_t(i + 1), records[i].object, records[i].parent);

    // Every row of one walk, so that a piece left over from one value cannot pass as the next's.
    OdbcStatement walk = connection.prepare(u"select MEDIAID, Object, ParentID from dbo.AP7VENDORMEDIA order by MEDIAID");
    walk.execute();
    for (const Record& record : records) {
        ASSERT_TRUE(walk.fetch()) << record.name;
        EXPECT_EQ(walk.get_int64(1), std::int64_t(&record - records.data() + 1)) << record.name;
        std::optional<Bytes> object = walk.get_bytes(2);
        ASSERT_EQ(object.has_value(), record.object.has_value()) << record.name;
        if (object) {
            EXPECT_EQ(object->size(), record.object->size()) << record.name;
            EXPECT_TRUE(*object == *record.object) << record.name;
        }
        EXPECT_EQ(walk.get_int64(3), record.parent) << record.name;
    }
    EXPECT_FALSE(walk.fetch());
}

TEST_P(OdbcDatabaseTest, AConditionalWriteMissesBytesAnotherConnectionChanged) {
    const Bytes stored = megabytes(3);
    Bytes changed = stored;
    changed[changed.size() / 2] ^= 0x01;  // deep inside, past any prefix a comparison might stop at
    const Bytes relinked = every_byte_value();
    OdbcConnection writer = connect();
    insert(writer, 7, stored);

    EXPECT_EQ(write_if_unchanged(writer, 7, stored, stored), 1) << "the bytes as stored match";
    OdbcConnection other = connect();
    EXPECT_EQ(write_if_unchanged(other, 7, stored, changed), 1);
    EXPECT_EQ(write_if_unchanged(writer, 7, stored, relinked), 0) << "the other connection changed the bytes first";
    EXPECT_TRUE(object_of(writer, 7) == changed);
    EXPECT_EQ(write_if_unchanged(writer, 8, changed, relinked), 0) << "no such record";
    EXPECT_EQ(write_if_unchanged(writer, 7, changed, relinked), 1);
    EXPECT_TRUE(object_of(other, 7) == relinked);
}

TEST_P(OdbcDatabaseTest, ATransactionIsSeenOnlyOnceCommitted) {
    const Bytes before = every_byte_value(), after = {1, 2, 3};
    OdbcConnection writer = connect();
    insert(writer, 1, before);
    OdbcConnection reader = connect();
    writer.set_autocommit(false);

    EXPECT_EQ(write_if_unchanged(writer, 1, before, after), 1);
    EXPECT_TRUE(object_of(writer, 1) == after) << "the transaction sees its own write";
    writer.rollback();
    EXPECT_TRUE(object_of(reader, 1) == before) << "rolled back";
    EXPECT_TRUE(object_of(writer, 1) == before) << "rolled back, as the writer sees it";

    EXPECT_EQ(write_if_unchanged(writer, 1, before, after), 1);
    writer.commit();
    EXPECT_TRUE(object_of(reader, 1) == after) << "committed";
}

TEST_P(OdbcDatabaseTest, EachFailureIsOneLineThatSaysWhat) {
    struct Failure {
        const char* name;
        std::function<void()> run;
        std::vector<std::string> says;      // in the description, without regard to case
        std::vector<std::string> never;     // passwords
    };
    const bool postgres = GetParam() == Server::postgres;
    std::vector<Failure> failures = {
        {"a missing table",
         [&] {
             OdbcConnection connection = connect();
             connection.prepare(u"select Object from dbo.NOSUCHMEDIA").execute();
         },
         {"select Object from dbo.NOSUCHMEDIA", "nosuchmedia"}, {}},
        {"a missing driver",
         [&] { OdbcConnection(u"Driver={Pathmender No Such Driver};UID=u;PWD=hidden-secret"); },
         {"Cannot connect to the database", "Driver={Pathmender No Such Driver};UID=u;PWD=***"}, {"hidden-secret"}},
    };
    if (postgres) {
        PostgresLogin wrong_password = cluster_->login();
        wrong_password.password = "not-the-password";
        failures.push_back({"a wrong password",
                            [=] { OdbcConnection(wrong_password.odbc_connection_string()); },
                            {"Cannot connect to the database", "password authentication failed", "Password=***"},
                            {"not-the-password"}});
    } else {
        const fs::path missing = folder_.path() / "none";
        failures.push_back({"a database in a missing folder",
                            [=] { OdbcConnection(u"Driver=SQLite3;Database=" + utf16((missing / "host.db").string())); },
                            {"Cannot connect to the database", missing.string()}, {}});
    }

    for (const Failure& failure : failures) {
        try {
            failure.run();
            ADD_FAILURE() << failure.name << ": no error";
        } catch (const OdbcError& e) {
            const std::string line = utf8(e.description);
            EXPECT_EQ(line.find('\n'), std::string::npos) << failure.name << ": " << line;
            EXPECT_EQ(e.number, kDatabaseError) << failure.name;
            EXPECT_FALSE(e.sqlstate.empty()) << failure.name << ": " << line;
            EXPECT_NE(line.find("SQLSTATE " + utf8(e.sqlstate)), std::string::npos) << failure.name << ": " << line;
            for (const std::string& part : failure.says)
                EXPECT_NE(lower(line).find(lower(part)), std::string::npos)
                    << failure.name << ": " << line << "\nlacks: " << part;
            for (const std::string& part : failure.never)
                EXPECT_EQ(line.find(part), std::string::npos) << failure.name << ": " << line;
        }
    }
}

// The server down: refused with one line that says so, and the cluster is whole when it is back.
TEST(OdbcPostgresTest, AStoppedServerRefusesAndComesBack) {
    PostgresCluster* cluster = nullptr;
    PM_REQUIRE_POSTGRES(cluster);
    const std::u16string connection_string = cluster->login().odbc_connection_string();
    OdbcConnection(connection_string).execute(u"create table if not exists kept (id integer)");
    cluster->stop();
    try {
        OdbcConnection connection(connection_string);
        ADD_FAILURE() << "connected to a stopped server";
    } catch (const OdbcError& e) {
        const std::string line = utf8(e.description);
        EXPECT_NE(line.find("Cannot connect to the database (Driver={PostgreSQL Unicode};Servername=" +
                            cluster->login().socket_folder.string() + ";"),
                  std::string::npos)
            << line;
        EXPECT_NE(line.find("No such file or directory"), std::string::npos) << line;
        EXPECT_EQ(line.find(cluster->login().password), std::string::npos) << line;
        EXPECT_EQ(e.sqlstate, u"08001") << line;
    }
    cluster->start();
    OdbcConnection again(connection_string);
    OdbcStatement kept = again.prepare(u"select id from kept");
    kept.execute();
    EXPECT_FALSE(kept.fetch());
}

}  // namespace
