// Names and values meant to smuggle SQL into the host's queries: table names are only ever the
// eleven media tables, column names are quoted identifiers, values are bound. Nothing outside the
// one record asked for changes, and nothing runs but what the host wrote.
#include <gtest/gtest.h>

#include <map>

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/services/host_environment.h"
#include "testkit/media_database.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/support/host_session.h"
#include "support/files.h"
#include "support/host_fixture.h"

namespace {

// Every record of every media table, and the schema: what no hostile call may change.
struct Snapshot {
    std::map<std::u16string, std::map<std::int64_t, std::vector<std::uint8_t>>> rows;
    std::int64_t schema_entries = 0;
    bool operator==(const Snapshot&) const = default;
};

const std::u16string kHostileTables[] = {
    u"AP7VENDORMEDIA\"",
    u"\"AP7VENDORMEDIA\"",
    u"AP7VENDORMEDIA;",
    u"AP7VENDORMEDIA; DROP TABLE AR7CLIENTMEDIA",
    u"dbo.x; DROP TABLE AR7CLIENTMEDIA",
    u"dbo.AP7VENDORMEDIA; DROP TABLE AR7CLIENTMEDIA --",
    u"AP7VENDORMEDIA\" SET Object = 1; --",
    u"AP7VENDORMEDIA\"; DELETE FROM dbo.\"AR7CLIENTMEDIA",
    u"AP7VENDORMEDIA' OR '1'='1",
    u"AP7VENDORMEDIA -- ",
    u"AP7VENDORMEDIA ",
    u" AP7VENDORMEDIA",
    u"dbo.dbo.AP7VENDORMEDIA",
    u"main.AP7VENDORMEDIA",
    u"temp.AP7VENDORMEDIA",
    u"dbo.sqlite_master",
    u"sqlite_master",
    u"[AP7VENDORMEDIA]",
    u"`AP7VENDORMEDIA`",
    std::u16string(u"AP7VENDORMEDIA\0; DROP TABLE AR7CLIENTMEDIA", 42),
    u"AP7VENDORMEDI\u0041\u0301",
    u"",
};

class HostileSql : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        std::int64_t id = 1;
        for (std::u16string_view table : kMediaTables) {
            database().insert(table, id, bytes_of("object of " + utf8(table)), 10);
            database().insert(table, id + 1, bytes_of("second of " + utf8(table)));
            id += 2;
        }
        data_ = open_data_object(host_session());
    }
    void TearDown() override {
        data_.reset();
        HostFixture::TearDown();
    }

    Snapshot snapshot() {
        Snapshot s;
        MediaDatabase database = MediaDatabase::open(database_file);
        for (std::u16string_view table : kMediaTables)
            for (std::int64_t id = 1; id <= 22; ++id)
                if (auto object = database.read(table, id)) s.rows[std::u16string(table)][id] = *object;
        ComPtr<IHostRecordset> schema = open_query(data_.get(), u"select count(*) from dbo.sqlite_master");
        s.schema_entries = field_value(schema.get(), 0).to_int32();
        return s;
    }

    ComPtr<IHostDataObject> data_;
};

TEST_F(HostileSql, TableNamesOutsideTheMediaTablesNeverReachAQuery) {
    const Snapshot before = snapshot();
    ComPtr<IHostCommand> command;
    check(data_->get_RecordSources(command.put()));
    for (const std::u16string& table : kHostileTables) {
        SCOPED_TRACE(::testing::PrintToString(utf8(table)));
        ComPtr<IHostRecordSource> source;
        check(command->CreateRecordSource(*Variant::missing().get(), source.put()));
        EXPECT_EQ(source->SetTable(Bstr(table).get(), 0), hresult_from_error_number(kDatabaseError));
        Bstr sql;
        EXPECT_TRUE(FAILED(source->get_SQL(sql.put())));  // no table was taken

        std::int32_t id = 1;
        SHORT result = 77;
        EXPECT_EQ(write_back(data_.get(), table, u"Object", u"MEDIAID", Variant::ref(&id), u"x", &result),
                  hresult_from_error_number(kDatabaseError));
        EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(HostileSql, ColumnNamesAreIdentifiersAndNeverSql) {
    const Snapshot before = snapshot();
    struct Case {
        std::u16string field;
        std::u16string key_field;
    };
    const Case cases[] = {
        {u"Object\" = 'x', \"ParentID", u"MEDIAID"},
        {u"Object\" = 'x' WHERE 1 = 1; --", u"MEDIAID"},
        {u"Object = 'x'; DROP TABLE dbo.AR7CLIENTMEDIA; --", u"MEDIAID"},
        {u"Object\"; DROP TABLE dbo.\"AR7CLIENTMEDIA", u"MEDIAID"},
        {u"Object", u"MEDIAID\" OR 1 = 1 OR \"MEDIAID"},
        {u"Object", u"MEDIAID\" = \"MEDIAID"},
        {u"Object", u"1"},
        {u"Object", u"rowid\" > 0 OR \"rowid"},
        {u"[Object]", u"MEDIAID"},
        {u"Object\n", u"MEDIAID"},
        {u"", u"MEDIAID"},
        {u"Object", u""},
        {std::u16string(u"Object\0\" = 1 --", 15), u"MEDIAID"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(utf8(c.field) + " / " + utf8(c.key_field)));
        std::int32_t id = 1;
        SHORT result = 77;
        EXPECT_EQ(write_back(data_.get(), u"AP7VENDORMEDIA", c.field, c.key_field, Variant::ref(&id), u"x", &result),
                  hresult_from_error_number(kDatabaseError));
        EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(HostileSql, ValuesAndKeysAreBoundNotSpliced) {
    Snapshot expected = snapshot();
    // SQL in the value is stored as the text it is.
    const std::u16string text = u"x'); DROP TABLE dbo.AR7CLIENTMEDIA; --\"";
    std::int32_t id = 1;
    SHORT result = 0;
    check(write_back(data_.get(), u"AP7VENDORMEDIA", u"Object", u"MEDIAID", Variant::ref(&id), text, &result));
    EXPECT_EQ(result, 1);
    expected.rows[u"AP7VENDORMEDIA"][1] = bytes_of(utf8(text));
    EXPECT_EQ(snapshot(), expected);

    // A key given as SQL text matches no record: it is compared, never run.
    for (std::u16string_view key : {u"1 OR 1=1", u"1; DELETE FROM dbo.AP7VENDORMEDIA", u"2' OR '1'='1"}) {
        SCOPED_TRACE(utf8(key));
        result = 77;
        HRESULT hr = write_back(data_.get(), u"AP7VENDORMEDIA", u"Object", u"MEDIAID", Variant(key), u"y", &result);
        EXPECT_EQ(hr, hresult_from_error_number(kDatabaseError));
        EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(snapshot(), expected);
}

}  // namespace
