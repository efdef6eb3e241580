#include "hostapp/db/sqlite_connection.h"

#include <sqlite3.h>

#include <cerrno>
#include <fstream>
#include <system_error>

#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/file_access.h"

namespace {

// A file: URI for the path, every byte outside the unreserved set percent-encoded, with its
// parameters; neither mode creates: an absent file is an error, never a new empty database.
std::string file_uri(const std::filesystem::path& file, std::string_view parameters) {
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : file.string()) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            uri.push_back(char(c));
        } else {
            uri.push_back('%');
            uri.push_back(hex[c >> 4]);
            uri.push_back(hex[c & 15]);
        }
    }
    return uri + "?" + std::string(parameters);
}

// Whether the file's header says it is in write-ahead-log mode (its read and write versions 2).
bool in_wal_mode(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    char header[20] = {};
    return in.read(header, sizeof header) && header[18] == 2 && header[19] == 2;
}

// A file in write-ahead-log mode that this process cannot write, with no log beside it (so no
// writer has it open now), is read as it stands: even a read-only connection would otherwise
// make -wal and -shm files beside it that it could not remove when it closes.
std::string host_view_uri(const std::filesystem::path& file) {
    std::error_code ec;
    const bool read_only = write_access_denied(file);
    if (read_only && !std::filesystem::exists(file.string() + "-wal", ec) && in_wal_mode(file))
        return file_uri(file, "mode=ro&immutable=1");
    return file_uri(file, "mode=rw");
}

sqlite3* open_handle(const std::string& name, int flags) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::u16string message = utf16(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        raise_database_error(message + u": " + utf16(name));
    }
    sqlite3_extended_result_codes(db, 1);
    return db;
}

}  // namespace

SqliteConnection SqliteConnection::open_host_view(const std::filesystem::path& file, int busy_timeout_ms) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        raise_database_error(u"The database file " + utf16(file.string()) + u" does not exist.");
    SqliteConnection connection(open_handle(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI));
    sqlite3_busy_timeout(connection.db_, busy_timeout_ms);
    SqliteStatement attach = connection.prepare("ATTACH DATABASE ?1 AS dbo");
    attach.bind_text(1, host_view_uri(file));
    attach.step();
    attach.finalize();
    // Reads the schema now, so that a file that is no database fails here and not in a query.
    connection.execute("SELECT count(*) FROM dbo.sqlite_master");
    return connection;
}

SqliteConnection SqliteConnection::open_file(const std::filesystem::path& file, bool create) {
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    return SqliteConnection(open_handle(file.string(), flags));
}

SqliteConnection& SqliteConnection::operator=(SqliteConnection&& o) noexcept {
    if (this != &o) {
        close();
        db_ = std::exchange(o.db_, nullptr);
    }
    return *this;
}

SqliteConnection::~SqliteConnection() { close(); }

void SqliteConnection::close() {
    // close_v2 waits for statements still open elsewhere instead of failing.
    if (db_) sqlite3_close_v2(std::exchange(db_, nullptr));
}

void SqliteConnection::execute(std::string_view sql) {
    std::string text(sql);
    char* message = nullptr;
    int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        std::u16string description = utf16(message ? message : sqlite3_errstr(rc));
        sqlite3_free(message);
        raise_database_error(description);
    }
}

std::string quote_identifier(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"') quoted.push_back('"');
        quoted.push_back(c);
    }
    return quoted + "\"";
}
