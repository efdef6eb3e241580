// The stand-alone API: a session on the installation's default database, or a reason why not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "com/class_factory.h"
#include "com/error.h"
#include "com/utf.h"
#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_environment.h"
#include "testkit/media_database.h"
#include "hostapp/support/host_session.h"
#include "support/host_fixture.h"

namespace {

class KWOpenTest : public HostFixture {
protected:
    // Initialize as the page calls it; the LastError text after it.
    std::pair<bool, std::u16string> initialize(IKWOpen* api, std::u16string_view key = kStandaloneApplicationKey) {
        VARIANT_BOOL opened = 7;
        check(api->Initialize(Bstr(key).get(), Bstr().get(), Bstr().get(), 0, Bstr().get(), 0, &opened));
        Bstr error;
        check(api->get_LastError(error.put()));
        return {opened != VARIANT_FALSE, error.str()};
    }
};

TEST_F(KWOpenTest, OpensTheDefaultDatabase) {
    database().insert(u"GL7PROJECTMEDIA", 5, std::vector<std::uint8_t>{'o', 'k'});
    ComPtr<IKWOpen> api = create_instance<IKWOpen>(CLSID_KWOpen);
    auto [opened, error] = initialize(api.get());
    EXPECT_TRUE(opened);
    EXPECT_EQ(error, u"");
    ComPtr<ISessionContext> session;
    check(api->get_SessionContext(session.put()));
    ComPtr<IHostDataObject> data;
    check(session->CreateDataObject(Bstr(std::u16string(kDataObjectKeyHead) + kDataObjectKeyTail).get(), data.put()));
    ComPtr<IHostRecordset> records = open_query(data.get(), u"Select count(MEDIAID) from dbo.GL7PROJECTMEDIA");
    EXPECT_EQ(field_value(records.get(), 0).to_int32(), 1);
}

TEST_F(KWOpenTest, SaysWhatIsMissing) {
    std::filesystem::path not_a_database = root / "notes.txt";
    std::ofstream(not_a_database) << "this is not a database file, just some text that is long enough";
    struct Case { std::string database; std::u16string key; std::u16string error; };
    const std::string missing = (root / "missing.db").string();
    const Case cases[] = {
        {"", kStandaloneApplicationKey, u"PATHMENDER_DB is not set"},
        {missing, kStandaloneApplicationKey, u"the database file " + utf16(missing) + u" does not exist"},
        {not_a_database.string(), kStandaloneApplicationKey,
         u"the database file " + utf16(not_a_database.string()) + u" cannot be opened: The file " +
             utf16(not_a_database.string()) + u" is not an SQLite database."},
        {missing, u"OTHER", u"the application key \"OTHER\" is not registered with this host"},
    };
    for (const Case& c : cases) {
        configure_host([&](HostEnvironment& environment) { environment.database = c.database; });
        ComPtr<IKWOpen> api = create_instance<IKWOpen>(CLSID_KWOpen);
        auto [opened, error] = initialize(api.get(), c.key);
        EXPECT_FALSE(opened) << utf8(c.error);
        EXPECT_EQ(error, c.error);
        ComPtr<ISessionContext> session;
        EXPECT_TRUE(FAILED(api->get_SessionContext(session.put())));
        EXPECT_FALSE(session);
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
