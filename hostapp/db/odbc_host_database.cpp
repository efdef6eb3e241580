#include "hostapp/db/odbc_host_database.h"

#include <set>

#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/db/odbc_connection.h"
#include "hostapp/db/odbc_connection_string.h"

namespace {

bool is_sqlite(const OdbcConnection& connection) { return connection.dbms_name().find(u"SQLite") != std::u16string::npos; }

// A name as a text literal of SQL.
std::u16string quoted_text(std::u16string_view text) {
    std::u16string out = u"'";
    for (char16_t c : text) {
        out.push_back(c);
        if (c == u'\'') out.push_back(c);
    }
    return out + u"'";
}

std::u16string first_text(OdbcConnection& connection, std::u16string_view sql) {
    OdbcStatement statement = connection.prepare(sql);
    statement.execute();
    return statement.fetch() ? statement.get_text(1).value_or(u"") : u"";
}

}  // namespace

OdbcConnection connect_host_database(std::u16string_view connection_string) {
    OdbcConnection connection(connection_string);
    if (!is_sqlite(connection)) return connection;
    const std::optional<std::u16string> file = connection_attribute(connection_string, u"Database");
    if (!file || file->empty() || *file == u":memory:") return connection;
    OdbcConnection view(with_attribute(connection_string, u"Database", u":memory:"));
    view.execute(u"ATTACH DATABASE " + quoted_text(*file) + u" AS dbo");
    std::u16string mode = first_text(view, u"PRAGMA dbo.journal_mode");
    for (char16_t& c : mode) c = c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
    if (mode != u"wal")
        raise_database_error(u"The SQLite database " + *file +
                             u", reached through ODBC, is not in write-ahead-log mode, in which the run's readers "
                             u"and its writer can share it (PRAGMA journal_mode = WAL puts it in that mode).");
    return view;
}

void check_host_database(OdbcConnection& connection, std::u16string_view connection_string) {
    OdbcStatement tables = connection.prepare(
        is_sqlite(connection) ? u"SELECT name FROM dbo.sqlite_master WHERE type = 'table'"
                              : u"SELECT TABLE_NAME FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_SCHEMA = 'dbo'");
    tables.execute();
    std::set<std::u16string_view> present;
    while (tables.fetch()) {
        if (std::optional<std::u16string> name = tables.get_text(1))
            if (std::optional<std::u16string_view> table = find_media_table(*name)) present.insert(*table);
    }
    if (present.empty())
        raise_database_error(u"The database (" + redacted_connection_string(connection_string) +
                             u") is not a host database: it has no media tables under the schema dbo.");
    std::u16string missing;
    for (std::u16string_view table : kMediaTables)
        if (!present.contains(table)) missing += (missing.empty() ? u"dbo." : u", dbo.") + std::u16string(table);
    if (!missing.empty())
        raise_database_error(u"The database (" + redacted_connection_string(connection_string) +
                             u") is not a host database: it lacks the media table" +
                             (missing.find(u',') == std::u16string::npos ? u" " : u"s ") + missing + u".");
    // An object is bytes: a column that holds numbers or text would only hand out what its type
    // makes of them.
    for (std::u16string_view table : kMediaTables) {
        OdbcStatement object = connection.prepare(u"SELECT Object FROM dbo." + std::u16string(table) + u" WHERE 1 = 0");
        object.execute();
        if (object.column(1).type != OdbcValueType::bytes)
            raise_database_error(u"The column Object of dbo." + std::u16string(table) +
                                 u" holds no bytes: a host database keeps its objects in a binary column (bytea, "
                                 u"varbinary, image or BLOB).");
    }
}

std::int64_t count_media_records(std::u16string_view connection_string) {
    OdbcConnection connection = connect_host_database(connection_string);
    std::int64_t total = 0;
    for (std::u16string_view table : kMediaTables) {
        OdbcStatement count = connection.prepare(u"SELECT count(*) FROM dbo." + std::u16string(table));
        count.execute();
        if (count.fetch()) total += count.get_int64(1).value_or(0);
    }
    return total;
}

bool is_sql_server(const OdbcConnection& connection) {
    return connection.dbms_name().find(u"SQL Server") != std::u16string::npos;
}

std::u16string same_bytes_sql(bool sql_server, std::u16string_view column) {
    if (sql_server)
        return u"CAST(" + std::u16string(column) + u" AS varbinary(max)) = ?";
    return std::u16string(column) + u" = ?";
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
