#include "hostapp/db/odbc_host_database.h"

#include <set>

#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/db/odbc_connection.h"
#include "hostapp/db/odbc_connection_string.h"

void check_host_database(OdbcConnection& connection, std::u16string_view connection_string) {
    OdbcStatement tables =
        connection.prepare(u"SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_SCHEMA = 'dbo'");
    tables.execute();
    std::set<std::u16string_view> present;
    while (tables.fetch()) {
        if (std::optional<std::u16string> name = tables.get_text(1))
            if (std::optional<std::u16string_view> table = find_media_table(*name)) present.insert(*table);
    }
    std::u16string missing;
    for (std::u16string_view table : kMediaTables)
        if (!present.contains(table)) missing += (missing.empty() ? u"dbo." : u", dbo.") + std::u16string(table);
    if (!missing.empty())
        raise_database_error(u"The database (" + redacted_connection_string(connection_string) +
                             u") is not a host database: it lacks the media table" +
                             (missing.find(u',') == std::u16string::npos ? u" " : u"s ") + missing + u".");
}

std::int64_t count_media_records(std::u16string_view connection_string) {
    OdbcConnection connection(connection_string);
    std::int64_t total = 0;
    for (std::u16string_view table : kMediaTables) {
        OdbcStatement count = connection.prepare(u"SELECT count(*) FROM dbo." + std::u16string(table));
        count.execute();
        if (count.fetch()) total += count.get_int64(1).value_or(0);
    }
    return total;
}

std::u16string plain_name_sql(std::u16string_view name) {
    bool plain = !name.empty() && !(name[0] >= u'0' && name[0] <= u'9');
    for (char16_t c : name)
        plain = plain && ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_');
    if (!plain)
        raise_database_error(u"The name \"" + std::u16string(name) +
                             u"\" cannot be used on a database server: only letters, digits and _ are.");
    return std::u16string(name);
}
