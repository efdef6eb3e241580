// Connection strings in messages: every password goes, nothing else changes.
#include <gtest/gtest.h>

#include "com/utf.h"
#include "hostapp/db/odbc_connection_string.h"

namespace {

struct Case {
    const char* name;
    std::u16string_view text, redacted;
};

const Case kCases[] = {
    {"no password", u"Driver={PostgreSQL Unicode};Servername=/tmp/x;Port=5432",
     u"Driver={PostgreSQL Unicode};Servername=/tmp/x;Port=5432"},
    {"PWD in the middle", u"Driver=SQL Server;UID=sa;PWD=secret;Database=host",
     u"Driver=SQL Server;UID=sa;PWD=***;Database=host"},
    {"Password at the end", u"Username=u;Password=secret", u"Username=u;Password=***"},
    {"trailing semicolon kept", u"pwd=secret;", u"pwd=***;"},
    {"any letter case", u"PaSsWoRd=secret;pWd=other", u"PaSsWoRd=***;pWd=***"},
    {"blanks around the key and value", u"UID=u; PWD = secret ;Port=1", u"UID=u; PWD =***;Port=1"},
    {"braced value with ; and =", u"PWD={se;c=ret};UID=u", u"PWD=***;UID=u"},
    {"braced value with an escaped brace", u"PWD={a}};b};UID=u", u"PWD=***;UID=u"},
    {"brace never closed hides the rest", u"UID=u;PWD={a;UID=v", u"UID=u;PWD=***"},
    {"empty password", u"UID=u;PWD=;Port=1", u"UID=u;PWD=***;Port=1"},
    {"every password", u"PWD=a;Password=b;PWD={c}", u"PWD=***;Password=***;PWD=***"},
    {"a password inside another braced value is that value's", u"Driver={x;PWD=y};UID=u", u"Driver={x;PWD=y};UID=u"},
    {"keys that only look alike", u"OldPWD=a;Passwords=b;PWD2=c", u"OldPWD=a;Passwords=b;PWD2=c"},
    {"a piece without a value", u"flag;PWD=a", u"flag;PWD=***"},
    {"empty", u"", u""},
};

TEST(OdbcConnectionStringTest, PasswordsAreTakenOut) {
    for (const Case& c : kCases)
        EXPECT_EQ(utf8(redacted_connection_string(c.text)), utf8(c.redacted)) << c.name;
}

}  // namespace

namespace {

// What the undo journal keeps to know a database again, and the attributes the host reads.
TEST(OdbcConnectionStringTest, TheServerAndDatabaseNameADatabaseWithoutItsLogin) {
    const struct {
        std::u16string_view text, named;
    } cases[] = {
        {u"Driver={PostgreSQL Unicode};Servername=/tmp/s;Port=5432;Database=host;Username=u;Password=p",
         u"Servername=/tmp/s;Port=5432;Database=host"},
        {u"DSN=accounts;UID=sa;PWD=secret", u"DSN=accounts"},
        {u"driver=SQLite3;database= /srv/host.db ;", u"Database=/srv/host.db"},
        {u"Driver=x;UID=u;PWD=p", u"Driver=x;UID=u;PWD=***"},
    };
    for (const auto& c : cases) EXPECT_EQ(utf8(server_and_database_of(c.text)), utf8(c.named)) << utf8(c.text);

    EXPECT_EQ(connection_attribute(u"Driver=SQLite3;DATABASE={/a;b}}c.db}", u"Database"), u"/a;b}c.db");
    EXPECT_EQ(connection_attribute(u"Driver=SQLite3", u"Database"), std::nullopt);
    EXPECT_EQ(utf8(with_attribute(u"Driver=SQLite3;Database=/a.db;Timeout=5", u"Database", u":memory:")),
              "Driver=SQLite3;Timeout=5;Database=:memory:;");
}

}  // namespace
