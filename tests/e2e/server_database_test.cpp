// pathmender on a host database on a server, through ODBC: the same runs as on a file, against
// PostgreSQL through psqlODBC (the test program's private cluster) and against an SQLite file
// through the SQLite ODBC driver; and what only a server brings: other users changing records
// mid-run, a server that goes away, logins and passwords.
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "com/utf.h"
#include "e2e/support/program_fixture.h"
#include "hostapp/db/odbc_connection.h"
#include "support/postgres_server.h"
#include "testkit/server_media_database.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

enum class Server { postgres, sqlite };

std::string server_name(const testing::TestParamInfo<Server>& info) {
    return info.param == Server::postgres ? "PostgreSQL" : "SQLiteThroughOdbc";
}

std::string message(const char* text) { return std::string(kCaption) + text; }

std::string file_text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ServerDatabase : public ProgramFixture, public testing::WithParamInterface<Server> {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        if (GetParam() == Server::postgres) {
            PM_REQUIRE_POSTGRES(cluster_);
            connection_ = cluster_->login().odbc_connection_string();
            server_.emplace(ServerMediaDatabase::create(connection_));
        } else {
            // The test's own host database file, in write-ahead-log mode as made.
            connection_ = u"Driver=SQLite3;Database=" + utf16(database_file.string()) + u";";
            server_.emplace(ServerMediaDatabase::open(connection_));
        }
        connection_file_ = root / "connection.txt";
        std::ofstream(connection_file_) << utf8(connection_) << "\n";
        fs::permissions(connection_file_, fs::perms::owner_read | fs::perms::owner_write);
    }

    ServerMediaDatabase& server() { return *server_; }
    bool on_postgres() const { return GetParam() == Server::postgres; }

    // The journal's folder is the test's own.
    ChildOptions options() const {
        ChildOptions options = in_temp();
        options.environment["XDG_STATE_HOME"] = (root / "state").string();
        return options;
    }
    std::vector<std::string> on_server(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin() + 1, {"--connection-file", connection_file_.string()});
        return arguments;
    }
    std::vector<std::string> update_arguments(const std::string& previous, const std::vector<std::string>& more = {}) const {
        std::vector<std::string> arguments{"update", "--network", network.string(), "--previous", previous};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return on_server(arguments);
    }
    ChildResult update(const std::string& previous, const std::vector<std::string>& more = {}) const {
        return run(update_arguments(previous, more), options());
    }

    // Two links to \\OldServer (a.xls on the new server, b.xls not), and an embedded object.
    void three_records() {
        server().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
        server().insert(u"GL7PROJECTMEDIA", 2, link_to(u"\\\\OldServer\\Media\\b.xls"));
        server().insert(u"PY7EVENTMEDIA", 3, read_corpus(kEmbeddedPaint));
        make_network_file("NewServer/Media/a.xls");
    }

    PostgresCluster* cluster_ = nullptr;
    std::u16string connection_;
    fs::path connection_file_;
    std::optional<ServerMediaDatabase> server_;
};

INSTANTIATE_TEST_SUITE_P(Servers, ServerDatabase, testing::Values(Server::postgres, Server::sqlite), server_name);

TEST_P(ServerDatabase, ARunSaysWhatARunOnAFileSaysAndWritesTheSameLinks) {
    struct Case {
        const char* name;
        bool b_there;
        const char* summary;
        int status;
        const char* counts;
    } cases[] = {
        {"every link found", true, "Media links have been updated", 0, "records=3 selected=2 relinked=2 not_found=0"},
        {"one not found", false, "Media links have been updated.  Some linked media files could not be located.",
         kSomeNotFound, "records=3 selected=2 relinked=1 not_found=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        three_records();
        if (c.b_there) make_network_file("NewServer/Media/deeper/b.xls");
        const Records before = server().all_records();

        ChildResult r = update("\\\\oldserver");
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.lines(), std::vector<std::string>{message(c.summary)});
        EXPECT_NE(r.err.find(std::string("summary: ") + c.counts + " elapsed="), std::string::npos) << r.err;
        EXPECT_TRUE(relinked_copy(*before.at({u"AP7VENDORMEDIA", 1}), *server().read(u"AP7VENDORMEDIA", 1),
                                  u"\\\\NewServer\\Media\\a.xls"));
        if (c.b_there)
            EXPECT_TRUE(relinked_copy(*before.at({u"GL7PROJECTMEDIA", 2}), *server().read(u"GL7PROJECTMEDIA", 2),
                                      u"\\\\NewServer\\Media\\deeper\\b.xls"));
        else
            EXPECT_EQ(server().read(u"GL7PROJECTMEDIA", 2), before.at({u"GL7PROJECTMEDIA", 2}));
        EXPECT_EQ(server().read(u"PY7EVENTMEDIA", 3), before.at({u"PY7EVENTMEDIA", 3}));
    }
}

TEST_P(ServerDatabase, APreviewLeavesEveryRecordAsItWas) {
    three_records();
    const Records before = server().all_records();
    const fs::path report = root / "preview.csv";
    ChildResult r = update("\\\\OldServer", {"--dry-run", "--report", report.string()});
    EXPECT_EQ(r.status, kSomeNotFound) << r.err;
    EXPECT_NE(r.err.find("a preview: nothing was written"), std::string::npos) << r.err;
    EXPECT_EQ(server().all_records(), before);
    EXPECT_NE(file_text(report).find("would-relink"), std::string::npos);
    EXPECT_FALSE(fs::exists(root / "state")) << "a preview keeps no journal";
}

TEST_P(ServerDatabase, UndoPutsBackWhatTheRunChangedFromAJournalOfTheUsersOwn) {
    three_records();
    make_network_file("NewServer/Media/b.xls");
    const Records before = server().all_records();
    ChildResult r = update("\\\\OldServer");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_NE(server().all_records(), before);

    // The journal's place is said as the run starts; it is private, and holds no login secret.
    const std::string said = "pathmender: the undo journal of this database is " + (root / "state" / "pathmender").string();
    ASSERT_NE(r.err.find(said), std::string::npos) << r.err;
    const std::size_t name_at = r.err.find(said) + said.size() + 1;
    const fs::path journal = root / "state" / "pathmender" / r.err.substr(name_at, r.err.find('\n', name_at) - name_at);
    struct stat status {};
    ASSERT_EQ(::stat(journal.c_str(), &status), 0) << journal;
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    if (on_postgres()) {
        EXPECT_EQ(file_text(journal).find(cluster_->login().password), std::string::npos);
    }

    ChildResult runs = run(on_server({"runs"}), options());
    EXPECT_EQ(runs.status, 0) << runs.err;
    EXPECT_EQ(runs.lines().size(), 1u) << runs.out;
    ChildResult undo = run(on_server({"undo"}), options());
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_NE(undo.err.find("restored=2 already=0 left_alone=0"), std::string::npos) << undo.err;
    EXPECT_EQ(server().all_records(), before);
}

TEST_P(ServerDatabase, ABadObjectEndsTheRunKeepingEarlierWritesAndTheReportAccountsForTheRest) {
    server().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
    const Bytes garbage{'n', 'o', 't', ' ', 'O', 'L', 'E'};
    server().insert(u"PY7EMPLOYEEMEDIA", 2, garbage);
    const Bytes untouched = link_to(u"\\\\OldServer\\Media\\a.xls");
    server().insert(u"PY7POSITIONSMEDIA", 4, untouched);
    make_network_file("NewServer/Media/a.xls");
    const fs::path report = root / "run.csv";

    ChildResult r = update("\\\\OldServer", {"--report", report.string()});
    EXPECT_EQ(r.status, kRunError);
    EXPECT_EQ(r.lines(), std::vector<std::string>{
                             message("An error occured while trying to update linked media files: Invalid data found")});
    EXPECT_NE(r.err.find("the run stopped at PY7EMPLOYEEMEDIA MEDIAID 2\n"), std::string::npos) << r.err;
    EXPECT_EQ(source_doc_of(*server().read(u"AP7VENDORMEDIA", 1)), u"\\\\NewServer\\Media\\a.xls");
    EXPECT_EQ(server().read(u"PY7EMPLOYEEMEDIA", 2), garbage);
    EXPECT_EQ(server().read(u"PY7POSITIONSMEDIA", 4), untouched);
    const std::string rows = file_text(report);
    EXPECT_NE(rows.find("PY7POSITIONSMEDIA,4,"), std::string::npos) << rows;
    EXPECT_NE(rows.find("not-reached"), std::string::npos) << rows;
}

TEST_P(ServerDatabase, ConnectionsThatFailSayWhyInOneLineWithoutThePassword) {
    struct Case {
        const char* name;
        std::u16string connection;  // empty: a connection file that is not there
        const char* says;
        int status;
        std::u16string change_first = u"";  // a statement run on the server first
    };
    std::vector<Case> cases = {
        {"no such driver", u"Driver=No Such Driver;Database=x;PWD=hush", "Cannot connect to the database (Driver=No Such Driver;Database=x;PWD=***)", kNotBroughtUp},
        {"no connection file", u"", "the connection file", 2},
    };
    if (on_postgres()) {
        PostgresLogin wrong = cluster_->login();
        wrong.password = "not-the-password";
        cases.push_back({"a refused login", wrong.odbc_connection_string(), "Password=***", kNotBroughtUp});
        cases.push_back({"a database without a media table", connection_,
                         "is not a host database: it lacks the media table dbo.GL7PROJECTMEDIA", kNotBroughtUp,
                         u"DROP TABLE dbo.GL7PROJECTMEDIA"});
        cases.push_back({"an Object column that holds no bytes", connection_,
                         "The column Object of dbo.GL7PROJECTMEDIA holds no bytes", kNotBroughtUp,
                         u"CREATE TABLE dbo.GL7PROJECTMEDIA (MEDIAID integer PRIMARY KEY, Object integer)"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.change_first.empty()) server().connection().execute(c.change_first);
        const fs::path file = root / (std::string(c.name) + ".txt");
        if (!c.connection.empty()) {
            std::ofstream(file) << utf8(c.connection);
            fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
        }
        ChildResult r = run({"update", "--connection-file", file.string(), "--network", network.string(), "--previous",
                             "\\\\OldServer"},
                            options());
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.find("hush"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("not-the-password"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

// On the server only: another user's transaction holds a record the run is about to write back.
class SharedServer : public ServerDatabase {
protected:
    // Holds an uncommitted change of the record, on a connection of its own.
    OdbcConnection hold_change(std::u16string_view table, std::int64_t media_id, const Bytes& object) {
        OdbcConnection other(connection_);
        other.set_autocommit(false);
        OdbcStatement update = other.prepare(u"UPDATE dbo." + std::u16string(table) + u" SET Object = ? WHERE MEDIAID = ?");
        update.bind_bytes(1, object);
        update.bind_int64(2, media_id);
        update.execute();
        return other;
    }
    // Until a session of the server waits on a lock (the run's write-back, held up by hold_change).
    void wait_for_a_blocked_write(ChildProgram& child) {
        OdbcConnection watcher(connection_);
        for (int tries = 0; tries < 600; ++tries) {
            OdbcStatement waiting =
                watcher.prepare(u"SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock'");
            waiting.execute();
            if (waiting.fetch() && waiting.get_int64(1).value_or(0) > 0) return;
            ASSERT_FALSE(child.poll()) << "the run ended before it wrote";
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        FAIL() << "the run never wrote back the held record";
    }
    void records_to_update() {
        server().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
        server().insert(u"AP7VENDORMEDIA", 2, link_to(u"\\\\OldServer\\Media\\a.xls"));
        server().insert(u"GL7PROJECTMEDIA", 3, link_to(u"\\\\OldServer\\Media\\a.xls"));
        make_network_file("NewServer/Media/a.xls");
    }
};

INSTANTIATE_TEST_SUITE_P(Servers, SharedServer, testing::Values(Server::postgres), server_name);

TEST_P(SharedServer, ARecordChangedByAnotherUserMidRunIsNeverOverwritten) {
    records_to_update();
    const Bytes theirs = link_to(u"\\\\Elsewhere\\Theirs\\c.xls");
    OdbcConnection other = hold_change(u"AP7VENDORMEDIA", 2, theirs);
    // The password inline this time: the program's own arguments show it to no process listing.
    const std::string password = cluster_->login().password;
    std::vector<std::string> arguments = update_arguments("\\\\OldServer");
    arguments[1] = "--connection";
    arguments[2] = utf8(connection_);
    ChildProgram child(arguments, root, options());
    wait_for_a_blocked_write(child);
    const std::string command_line = file_text("/proc/" + std::to_string(child.pid()) + "/cmdline");
    EXPECT_EQ(command_line.find(password), std::string::npos);
    EXPECT_NE(command_line.find("Password=***"), std::string::npos);
    other.commit();

    ChildResult r = child.wait();
    EXPECT_EQ(r.status, kRunError) << r.err;
    EXPECT_NE(r.out.find("AP7VENDORMEDIA MEDIAID 2 was changed by someone else since the run read it"), std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("the run stopped at AP7VENDORMEDIA MEDIAID 2\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(password), std::string::npos) << r.err;
    EXPECT_EQ(source_doc_of(*server().read(u"AP7VENDORMEDIA", 1)), u"\\\\NewServer\\Media\\a.xls");
    EXPECT_EQ(server().read(u"AP7VENDORMEDIA", 2), theirs);
    EXPECT_EQ(source_doc_of(*server().read(u"GL7PROJECTMEDIA", 3)), u"\\\\OldServer\\Media\\a.xls");
}

TEST_P(SharedServer, AServerThatStopsMidRunEndsItAndARerunFinishesTheWork) {
    records_to_update();
    const Records before = server().all_records();
    OdbcConnection other = hold_change(u"AP7VENDORMEDIA", 2, link_to(u"\\\\Elsewhere\\c.xls"));
    ChildProgram child(update_arguments("\\\\OldServer"), root, options());
    wait_for_a_blocked_write(child);
    cluster_->stop();
    ChildResult r = child.wait();
    cluster_->start();
    EXPECT_EQ(r.status, kRunError) << r.err;
    EXPECT_NE(r.err.find("the run stopped at AP7VENDORMEDIA MEDIAID 2\n"), std::string::npos) << r.err;
    ServerMediaDatabase after = ServerMediaDatabase::open(connection_);
    for (const auto& [key, object] : after.all_records()) {
        SCOPED_TRACE(utf8(key.first) + " " + std::to_string(key.second));
        if (object != before.at(key)) {
            EXPECT_EQ(source_doc_of(*object), u"\\\\NewServer\\Media\\a.xls");
        }
    }

    ChildResult rerun = update("\\\\OldServer");
    EXPECT_EQ(rerun.status, 0) << rerun.err;
    for (const auto& [key, object] : after.all_records()) EXPECT_EQ(source_doc_of(*object), u"\\\\NewServer\\Media\\a.xls");
}

}  // namespace
