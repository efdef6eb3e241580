#include "bench/server_copy.h"

#include <sqlite3.h>

#include <stdexcept>

#include "com/utf.h"
#include "hostapp/db/media_tables.h"
#include "testkit/media_database.h"
#include "testkit/server_media_database.h"

BenchServer::BenchServer() {
    const std::optional<std::filesystem::path> binaries = PostgresCluster::find_binaries();
    if (!binaries) throw std::runtime_error("the postgres mode needs PostgreSQL (tools/install-deps installs it)");
    cluster_ = std::make_unique<PostgresCluster>(*binaries);
}

void BenchServer::fill_from(const std::filesystem::path& corpus) {
    reader_.reset();
    ServerMediaDatabase server = ServerMediaDatabase::create(cluster_->login().odbc_connection_string());
    MediaDatabase source = MediaDatabase::open(corpus);
    server.connection().set_autocommit(false);
    for (std::u16string_view table : kMediaTables) {
        SqliteStatement rows = source.connection().prepare("SELECT MEDIAID, Object FROM \"" + utf8(table) + "\"");
        OdbcStatement insert =
            server.connection().prepare(u"INSERT INTO dbo." + std::u16string(table) + u" (MEDIAID, Object) VALUES (?, ?)");
        while (rows.step()) {
            insert.bind_int64(1, rows.column_int64(0));
            if (rows.column_type(1) == SQLITE_NULL) insert.bind_null_bytes(2);
            else insert.bind_bytes(2, rows.column_bytes(1));
            insert.execute();
        }
    }
    server.connection().commit();
    server.connection().set_autocommit(true);
    server.connection().execute(u"VACUUM ANALYZE");
}

std::string BenchServer::connection_string() const { return utf8(cluster_->login().odbc_connection_string()); }

std::optional<std::vector<std::uint8_t>> BenchServer::read(const std::u16string& table, std::int64_t media_id) const {
    if (!reader_) reader_ = std::make_unique<ServerMediaDatabase>(ServerMediaDatabase::open(cluster_->login().odbc_connection_string()));
    return reader_->read(table, media_id);
}
