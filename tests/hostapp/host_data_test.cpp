// The data object over real SQLite files: reading the media tables, counting, writing back.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/write_back_grouping.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_session_context.h"
#include "testkit/media_database.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/support/host_session.h"
#include "support/files.h"
#include "support/host_fixture.h"

namespace {

ErrorRecord error_of(HRESULT hr) {
    ErrorRecord record;
    EXPECT_TRUE(GetErrorRecord(hr, &record)) << std::hex << hr;
    return record;
}

class HostDataTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        database().insert(u"AP7VENDORMEDIA", 1, bytes_of("first"), 10);
        database().insert(u"AP7VENDORMEDIA", 2, bytes_of("second"), 20);
        database().insert(u"AP7VENDORMEDIA", 3, bytes_of("third"));
    }
};

TEST_F(HostDataTest, MediaRecordsComeInColumnOrder) {
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    ComPtr<IHostRecordset> records = open_media_records(data.get(), u"AP7VENDORMEDIA");
    struct Row { std::int32_t id; std::u16string object; VARTYPE parent_type; std::int32_t parent; };
    std::vector<Row> rows;
    for (; !at_end(records.get()); check(records->MoveNext())) {
        Variant parent = field_value(records.get(), 2);
        rows.push_back({field_value(records.get(), 0).to_int32(), field_value(records.get(), 1).to_text(),
                        parent.type(), parent.is_null() ? 0 : parent.to_int32()});
        EXPECT_EQ(field_value(records.get(), 0).type(), VT_I4);
        EXPECT_EQ(field_value(records.get(), 1).type(), VT_BSTR);
    }
    check(records->Close());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].id, 1);
    EXPECT_EQ(rows[0].object, u"first");
    EXPECT_EQ(rows[0].parent, 10);
    EXPECT_EQ(rows[1].object, u"second");
    EXPECT_EQ(rows[2].id, 3);
    EXPECT_EQ(rows[2].parent_type, VT_NULL);
}

// (Only media tables are served: the hostile SQL tests try every other name.)
TEST_F(HostDataTest, RecordSourceQuotesNamesAndAFieldThatIsNoColumnFails) {
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    ComPtr<IHostCommand> command;
    check(data->get_RecordSources(command.put()));
    ComPtr<IHostRecordSource> source;
    check(command->CreateRecordSource(*Variant::missing().get(), source.put()));
    check(source->AddField(Bstr(u"MEDIAID").get(), Bstr().get(), *Variant::missing().get()));
    check(source->AddField(Bstr(u"Object").get(), Bstr().get(), *Variant::missing().get()));
    check(source->SetTable(Bstr(u"ap7vendormedia").get(), 0));
    Bstr sql;
    check(source->get_SQL(sql.put()));
    EXPECT_EQ(sql.view(), u"SELECT \"MEDIAID\", \"Object\" FROM dbo.\"AP7VENDORMEDIA\"");

    // A field name that is no column of the table fails in the query, never reads as a text.
    check(source->AddField(Bstr(u"No\"Such").get(), Bstr().get(), *Variant::missing().get()));
    check(source->get_SQL(sql.put()));
    ComPtr<IHostConnection> connection;
    check(data->get_Connection(connection.put()));
    ComPtr<IHostRecordset> records;
    HRESULT hr = connection->OpenRecordset(sql.get(), kRecordsetForward, nullptr, nullptr, nullptr, records.put());
    EXPECT_EQ(hr, hresult_from_error_number(kDatabaseError));
    EXPECT_NE(error_of(hr).description.find(u"no such column"), std::u16string::npos);

    Bstr key;
    check(source->get_Key(key.put()));
    check(command->ReleaseRecordSource(*Variant(key.view()).get()));
    // Released once: a second release names no source.
    EXPECT_TRUE(FAILED(command->ReleaseRecordSource(*Variant(key.view()).get())));
}

TEST_F(HostDataTest, CountQueryRunsAsWritten) {
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    for (std::u16string_view table : kMediaTables) {
        ComPtr<IHostRecordset> records = open_query(data.get(), u"Select count(MEDIAID) from dbo." + std::u16string(table));
        ASSERT_FALSE(at_end(records.get()));
        EXPECT_EQ(field_value(records.get(), 0).to_text(), table == u"AP7VENDORMEDIA" ? u"3" : u"0");
        check(records->Close());
    }
    // Bare names reach the same tables.
    ComPtr<IHostRecordset> records = open_query(data.get(), u"select count(*) from AP7VENDORMEDIA");
    EXPECT_EQ(field_value(records.get(), 0).to_int32(), 3);
}

TEST_F(HostDataTest, MissingTableFailsWithSqliteDescription) {
    {
        MediaDatabase database = MediaDatabase::open(database_file);
        database.connection().execute("DROP TABLE PY7EVENTMEDIA");
    }
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    ComPtr<IHostConnection> connection;
    check(data->get_Connection(connection.put()));
    ComPtr<IHostRecordset> records;
    HRESULT hr = connection->OpenRecordset(Bstr(u"Select count(MEDIAID) from dbo.PY7EVENTMEDIA").get(),
                                           kRecordsetForward, nullptr, nullptr, nullptr, records.put());
    EXPECT_EQ(hr, hresult_from_error_number(kDatabaseError));
    EXPECT_FALSE(records);
    EXPECT_EQ(error_of(hr).description, u"no such table: dbo.PY7EVENTMEDIA");

    EXPECT_THROW(update_media_object(data.get(), u"PY7EVENTMEDIA", 1, u"x"), ComError);
}

TEST_F(HostDataTest, ForwardRecordSetOnlyReads) {
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    ComPtr<IHostConnection> connection;
    check(data->get_Connection(connection.put()));
    for (std::u16string_view query : {u"DELETE FROM dbo.AP7VENDORMEDIA", u"select 1; DELETE FROM dbo.AP7VENDORMEDIA",
                                      u"", u"PRAGMA dbo.journal_mode = DELETE"}) {
        ComPtr<IHostRecordset> records;
        HRESULT hr = connection->OpenRecordset(Bstr(query).get(), kRecordsetForward, nullptr, nullptr, nullptr,
                                               records.put());
        EXPECT_TRUE(FAILED(hr)) << utf8(query);
    }
    EXPECT_EQ(MediaDatabase::open(database_file).count(u"AP7VENDORMEDIA"), 3);
}

TEST_F(HostDataTest, LargeMediaIdComesThroughWhole) {
    MediaDatabase::open(database_file).insert(u"AR7CLIENTMEDIA", 4294967296LL + 5, bytes_of("big"));
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    ComPtr<IHostRecordset> records = open_media_records(data.get(), u"AR7CLIENTMEDIA");
    Variant id = field_value(records.get(), 0);
    EXPECT_EQ(id.to_text(), u"4294967301");
    try {
        (void)id.to_int32();
        ADD_FAILURE() << "no overflow";
    } catch (const ComError& e) {
        EXPECT_EQ(e.number, 6);
    }
}

TEST_F(HostDataTest, EveryByteValueRoundTrips) {
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[i] = std::uint8_t(i);
    std::vector<std::uint8_t> reversed(all.rbegin(), all.rend());
    MediaDatabase::open(database_file).insert(u"FAASSETMEDIA", 7, all);

    ComPtr<IHostDataObject> data = open_data_object(host_session());
    ComPtr<IHostRecordset> records = open_media_records(data.get(), u"FAASSETMEDIA");
    std::u16string text = field_value(records.get(), 1).to_text();
    EXPECT_EQ(text, ansi_text(all));
    check(records->Close());

    update_media_object(data.get(), u"FAASSETMEDIA", 7, ansi_text(reversed));
    EXPECT_EQ(MediaDatabase::open(database_file).read(u"FAASSETMEDIA", 7), reversed);
    records = open_media_records(data.get(), u"FAASSETMEDIA");
    EXPECT_EQ(field_value(records.get(), 1).to_text(), ansi_text(reversed));
}

// The heart of the write-back: while one record set walks a table, each record written back is
// committed at once (a third connection sees it while the walk is open), and the walk goes on
// over its own snapshot, seeing every row exactly once.
TEST_F(HostDataTest, WriteBackCommitsAtOnceWhileWalkGoesOn) {
    {
        MediaDatabase database = MediaDatabase::open(database_file);
        database.in_transaction([&] {
            for (int id = 4; id <= 200; ++id) database.insert(u"AP7VENDORMEDIA", id, bytes_of("row" + std::to_string(id)));
        });
    }
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    ComPtr<IHostDataObject> other_writer = open_data_object(host_session());
    ComPtr<IHostRecordset> walk = open_media_records(data.get(), u"AP7VENDORMEDIA");
    std::map<std::int32_t, int> seen;
    for (; !at_end(walk.get()); check(walk->MoveNext())) {
        std::int32_t id = field_value(walk.get(), 0).to_int32();
        std::u16string object = field_value(walk.get(), 1).to_text();
        ++seen[id];
        EXPECT_EQ(object.find(u"relinked"), std::u16string::npos) << "the walk saw its own write-back, id " << id;
        // Write this row, and another writer one far ahead of the walk.
        update_media_object(data.get(), u"AP7VENDORMEDIA", id, u"relinked " + object);
        if (id + 50 <= 200) update_media_object(other_writer.get(), u"AP7VENDORMEDIA", id + 50, u"ahead");

        MediaDatabase third = MediaDatabase::open(database_file);
        EXPECT_EQ(third.read(u"AP7VENDORMEDIA", id), bytes_of("relinked " + utf8(object))) << id;
    }
    check(walk->Close());
    ASSERT_EQ(seen.size(), 200u);
    for (auto [id, times] : seen) EXPECT_EQ(times, 1) << id;
}

// A crash after some write-backs keeps every one of them, whole.
TEST_F(HostDataTest, WriteBacksSurviveAProcessThatDies) {
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ComPtr<IHostDataObject> data = open_data_object(host_session());
        ComPtr<IHostRecordset> walk = open_media_records(data.get(), u"AP7VENDORMEDIA");
        update_media_object(data.get(), u"AP7VENDORMEDIA", 1, u"written one");
        check(walk->MoveNext());
        update_media_object(data.get(), u"AP7VENDORMEDIA", 2, u"written two");
        _exit(0);  // no close, no clean-up: the walk and both connections are still open
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    MediaDatabase database = MediaDatabase::open(database_file);
    EXPECT_EQ(database.read(u"AP7VENDORMEDIA", 1), bytes_of("written one"));
    EXPECT_EQ(database.read(u"AP7VENDORMEDIA", 2), bytes_of("written two"));
    EXPECT_EQ(database.read(u"AP7VENDORMEDIA", 3), bytes_of("third"));
}

// Grouped write-backs commit together: another connection sees none of an open group, then all of
// it once it is full, due, made durable, or a later write-back of it fails (which leaves the
// group's earlier ones committed).
TEST_F(HostDataTest, GroupedWriteBacksCommitTogetherAndAFailureKeepsTheEarlierOnes) {
    {
        MediaDatabase database = MediaDatabase::open(database_file);
        for (int id = 4; id <= 6; ++id) database.insert(u"AP7VENDORMEDIA", id, bytes_of("old"));
    }
    WriteBackGrouping grouping;
    grouping.most_records = 3;
    grouping.longest = std::chrono::hours(1);
    configure_host([&](HostEnvironment& environment) { environment.hooks.grouping = &grouping; });
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    MediaDatabase other = MediaDatabase::open(database_file);
    const auto seen = [&](std::int32_t id) { return utf8(ansi_text(*other.read(u"AP7VENDORMEDIA", id))); };

    update_media_object(data.get(), u"AP7VENDORMEDIA", 1, u"new 1");
    update_media_object(data.get(), u"AP7VENDORMEDIA", 2, u"new 2");
    EXPECT_EQ(seen(1), "first");
    update_media_object(data.get(), u"AP7VENDORMEDIA", 3, u"new 3");  // the group is full
    EXPECT_EQ(seen(1) + seen(2) + seen(3), "new 1new 2new 3");

    update_media_object(data.get(), u"AP7VENDORMEDIA", 4, u"new 4");
    std::int32_t missing = 99;
    SHORT result = 77;
    EXPECT_EQ(write_back(data.get(), u"AP7VENDORMEDIA", u"Object", u"MEDIAID", Variant::ref(&missing), u"x", &result),
              hresult_from_error_number(kDatabaseError));
    EXPECT_EQ(seen(4), "new 4");

    update_media_object(data.get(), u"AP7VENDORMEDIA", 5, u"new 5");
    EXPECT_EQ(seen(5), "old");
    grouping.make_durable();
    EXPECT_EQ(seen(5), "new 5");

    // A group that is due is committed at the walk's next step, and at the walk's end.
    grouping.longest = std::chrono::milliseconds(0);
    ComPtr<IHostRecordset> walk = open_media_records(data.get(), u"AP7VENDORMEDIA");
    update_media_object(data.get(), u"AP7VENDORMEDIA", 1, u"newer 1");
    EXPECT_EQ(seen(1), "newer 1") << "due at once: committed with the write-back itself";
    grouping.longest = std::chrono::hours(1);
    check(walk->MoveNext());
    update_media_object(data.get(), u"AP7VENDORMEDIA", 2, u"newer 2");
    EXPECT_EQ(seen(2), "new 2");
    while (!at_end(walk.get())) check(walk->MoveNext());
    check(walk->Close());
    EXPECT_EQ(seen(2), "newer 2");
}

// While a walk stands on a record, a write-back into its table names that record exactly: a text
// MEDIAID "05" written back as 5 would land on the record "5".
TEST_F(HostDataTest, AWriteBackDuringAWalkNamesTheRecordTheWalkIsOn) {
    {
        MediaDatabase database = MediaDatabase::open(database_file);
        database.connection().execute("DROP TABLE AP7VENDORMEDIA; CREATE TABLE AP7VENDORMEDIA "
                                      "(MEDIAID TEXT PRIMARY KEY, Object BLOB, ParentID INTEGER); "
                                      "INSERT INTO AP7VENDORMEDIA VALUES ('05', x'6f6c64', NULL), ('5', x'6f6c64', NULL)");
    }
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    ComPtr<IHostRecordset> walk = open_media_records(data.get(), u"AP7VENDORMEDIA");
    ASSERT_EQ(field_value(walk.get(), 0).to_text(), u"05");
    std::int32_t five = 5;
    SHORT result = 77;
    const HRESULT refused = write_back(data.get(), u"AP7VENDORMEDIA", u"Object", u"MEDIAID", Variant::ref(&five), u"new", &result);
    EXPECT_EQ(refused, hresult_from_error_number(kDatabaseError));
    EXPECT_EQ(result, 0);
    EXPECT_NE(error_of(refused).description.find(u"not the record being read (MEDIAID 05)"), std::u16string::npos);
    check(walk->MoveNext());
    ASSERT_EQ(field_value(walk.get(), 0).to_text(), u"5");
    update_media_object(data.get(), u"AP7VENDORMEDIA", 5, u"new");
    check(walk->Close());
    MediaDatabase database = MediaDatabase::open(database_file);
    SqliteStatement objects = database.connection().prepare("SELECT MEDIAID, Object FROM AP7VENDORMEDIA ORDER BY MEDIAID");
    std::vector<std::string> rows;
    while (objects.step()) {
        const auto key = objects.column_bytes(0), object = objects.column_bytes(1);
        rows.push_back(std::string(key.begin(), key.end()) + "=" + std::string(object.begin(), object.end()));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{"05=old", "5=new"}));
}

TEST_F(HostDataTest, WriteBackFailuresWriteNothing) {
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    struct Case { const char* what; std::u16string table; std::u16string field; std::int32_t id; std::u16string text; };
    const Case cases[] = {
        {"no such record", u"AP7VENDORMEDIA", u"Object", 99, u"x"},
        {"no such column", u"AP7VENDORMEDIA", u"Objekt", 1, u"x"},
        {"outside the code page", u"AP7VENDORMEDIA", u"Object", 1, u"\u4E2D"},
    };
    for (const Case& c : cases) {
        std::int32_t id = c.id;
        SHORT result = 77;
        HRESULT hr = write_back(data.get(), c.table, c.field, u"MEDIAID", Variant::ref(&id), c.text, &result);
        EXPECT_EQ(hr, hresult_from_error_number(kDatabaseError)) << c.what;
        EXPECT_EQ(result, 0) << c.what;
        EXPECT_FALSE(error_of(hr).description.empty()) << c.what;
    }
    MediaDatabase database = MediaDatabase::open(database_file);
    EXPECT_EQ(database.read(u"AP7VENDORMEDIA", 1), bytes_of("first"));
    EXPECT_EQ(database.count(u"AP7VENDORMEDIA"), 3);
}

TEST_F(HostDataTest, LockedDatabaseFailsWithSqliteDescription) {
    configure_host([](HostEnvironment& environment) { environment.busy_timeout_ms = 0; });
    ComPtr<IHostDataObject> data = open_data_object(host_session());
    {
        MediaDatabase other = MediaDatabase::open(database_file);
        other.connection().execute("BEGIN IMMEDIATE");
        try {
            update_media_object(data.get(), u"AP7VENDORMEDIA", 1, u"blocked");
            ADD_FAILURE() << "wrote past another writer's lock";
        } catch (const ComError& e) {
            EXPECT_EQ(e.number, kDatabaseError);
            EXPECT_EQ(e.description, u"database is locked");
        }
        other.connection().execute("ROLLBACK");
    }
    update_media_object(data.get(), u"AP7VENDORMEDIA", 1, u"after the lock");
    EXPECT_EQ(MediaDatabase::open(database_file).read(u"AP7VENDORMEDIA", 1), bytes_of("after the lock"));
}

TEST_F(HostDataTest, DataObjectKeyIsChecked) {
    ComPtr<ISessionContext> session = host_session();
    for (std::u16string_view key : {u"", u"KWMDATAOBJ ", u"kwmdataobj", u"KWMD", u"KWMDATAOBX"}) {
        ComPtr<IHostDataObject> data;
        HRESULT hr = session->CreateDataObject(Bstr(key).get(), data.put());
        EXPECT_EQ(hr, hresult_from_error_number(5)) << utf8(key);
        EXPECT_FALSE(data);
        EXPECT_NE(error_of(hr).description.find(u"is not the key of a data object"), std::u16string::npos);
    }
}

TEST_F(HostDataTest, SessionReportsTitleAndMissingDatabase) {
    configure_host([](HostEnvironment& environment) { environment.application_title = u"Test Host"; });
    ComPtr<ISessionContext> session = host_session();
    Bstr title;
    check(session->get_ApplicationTitle(title.put()));
    EXPECT_EQ(title.view(), u"Test Host");
    LONG first = 0, second = 0;
    check(session->get_SessionID(&first));
    check(host_session()->get_SessionID(&second));
    EXPECT_NE(first, second);

    ComPtr<ISessionContext> lost = make_com<HostSessionContext>(root / "gone.db", host->environment());
    ComPtr<IHostDataObject> data;
    HRESULT hr = lost->CreateDataObject(Bstr(std::u16string(kDataObjectKeyHead) + kDataObjectKeyTail).get(), data.put());
    EXPECT_EQ(hr, hresult_from_error_number(kDatabaseError));
    EXPECT_NE(error_of(hr).description.find(u"does not exist"), std::u16string::npos);
    EXPECT_FALSE(std::filesystem::exists(root / "gone.db"));
}

}  // namespace
