// pathmender on a host database on a server, through ODBC (PostgreSQL through psqlODBC, and an
// SQLite file through the SQLite ODBC driver): what differs from a file (the undo journal in the
// user's own folder, reports read back through the server, failures to connect), and what only a
// server brings: other users changing records mid-run, a server that goes away, kills at any
// moment, logins and passwords. The update command's own cases run on every database too.
#include <sys/stat.h>

#include <chrono>
#include <random>
#include <fstream>
#include <sstream>
#include <thread>

#include "com/utf.h"
#include "e2e/support/every_database.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/db/odbc_connection.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string message(const char* text) { return std::string(kCaption) + text; }

std::string file_text(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ServerDatabase : public OnEveryDatabase {
protected:
    bool on_postgres() const { return GetParam() == DatabaseKind::postgres; }
    std::vector<std::string> on_server(std::vector<std::string> arguments) const {
        return on_database(std::move(arguments));
    }
    ChildOptions options() const { return OnEveryDatabase::options(); }

    // Two links to \\OldServer (a.xls on the new server, b.xls not), and an embedded object.
    void three_records() {
        server().insert(u"AP7VENDORMEDIA", 1, link_to(u"\\\\OldServer\\Media\\a.xls"));
        server().insert(u"GL7PROJECTMEDIA", 2, link_to(u"\\\\OldServer\\Media\\b.xls"));
        server().insert(u"PY7EVENTMEDIA", 3, read_corpus(kEmbeddedPaint));
        make_network_file("NewServer/Media/a.xls");
    }
};

INSTANTIATE_TEST_SUITE_P(Servers, ServerDatabase, testing::Values(DatabaseKind::postgres, DatabaseKind::sqlite_odbc),
                         database_kind_name);

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
    // Someone changes one of the run's records: undo leaves it alone and says so.
    const Bytes theirs = link_to(u"\\\\Elsewhere\\Theirs\\c.xls");
    server().replace(u"GL7PROJECTMEDIA", 2, theirs);
    ChildResult undo = run(on_server({"undo"}), options());
    EXPECT_EQ(undo.status, 3) << undo.err;
    EXPECT_NE(undo.err.find("restored=1 already=0 left_alone=1"), std::string::npos) << undo.err;
    EXPECT_EQ(undo.lines(), std::vector<std::string>{"left alone: GL7PROJECTMEDIA MEDIAID 2: changed since the run"});
    EXPECT_EQ(server().read(u"AP7VENDORMEDIA", 1), before.at({u"AP7VENDORMEDIA", 1}));
    EXPECT_EQ(server().read(u"GL7PROJECTMEDIA", 2), theirs);
    ChildResult again = run(on_server({"undo", "--run", "1"}), options());
    EXPECT_NE(again.err.find("restored=0 already=1 left_alone=1"), std::string::npos) << again.err;
    // The journal is this database's: another one's undo refuses it, naming both.
    if (!on_postgres()) {
        const fs::path other = root / "other.db";
        MediaDatabase::create(other);
        const std::string elsewhere = "Driver=SQLite3;Database=" + other.string();
        ChildResult refused =
            run({"undo", "--connection", elsewhere, "--journal", journal.string(), "--run", "1"}, options());
        EXPECT_EQ(refused.status, 1) << refused.err;
        EXPECT_NE(refused.err.find("changed odbc:Database=" + database_file.string() + ", not odbc:Database=" + other.string()),
                  std::string::npos)
            << refused.err;
    }
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
        PostgresLogin elsewhere = cluster_->login();
        elsewhere.database = "template1";
        cases.push_back({"a database without the schema dbo", elsewhere.odbc_connection_string(),
                         "is not a host database: it has no media tables under the schema dbo.", kNotBroughtUp});
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

INSTANTIATE_TEST_SUITE_P(Servers, SharedServer, testing::Values(DatabaseKind::postgres), database_kind_name);

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

TEST_P(SharedServer, RecordsAreOldOrWhollyRelinkedAfterKillsAtAnyMoment) {
    constexpr int kRecords = 660, kKills = 6;
    const Bytes old = link_to(u"\\\\OldServer\\Media\\a.xls");
    const auto fill = [&] {
        server_.reset();
        server_.emplace(ServerMediaDatabase::create(connection_));
        server().connection().set_autocommit(false);
        for (int i = 0; i < kRecords; ++i) server().insert(kMediaTables[i % kMediaTables.size()], i + 1, old);
        server().connection().commit();
        server().connection().set_autocommit(true);
    };
    make_network_file("NewServer/Media/a.xls");

    // How long a whole run takes here: kills land anywhere within it.
    fill();
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(update("\\\\OldServer", {"--no-journal"}).status, 0);
    const auto whole = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    fill();

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<long> delay_ms(0, std::max(20L, long(whole.count())));
    for (int kill = 0; kill < kKills; ++kill) {
        const long delay = delay_ms(random);
        SCOPED_TRACE("killed after " + std::to_string(delay) + " ms");
        ChildProgram child(update_arguments("\\\\OldServer"), root, options());
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        child.kill_now();
        child.wait();
        for (const auto& [key, object] : server().all_records()) {
            ASSERT_TRUE(object);
            if (*object != old) {
                ASSERT_EQ(source_doc_of(*object), u"\\\\NewServer\\Media\\a.xls") << utf8(key.first);
            }
        }
    }
    ChildResult rerun = update("\\\\OldServer");
    EXPECT_EQ(rerun.status, 0) << rerun.err;
    for (const auto& [key, object] : server().all_records()) EXPECT_EQ(source_doc_of(*object), u"\\\\NewServer\\Media\\a.xls");
}

}  // namespace
