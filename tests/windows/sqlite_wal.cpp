// SQLite as the Windows build compiles it, over the system's files: a database in write-ahead-log
// mode that programs of both widths write in turn and the Linux build's SQLite reads back
// (tools/windows-check), so that a host database moves between the systems as it stands.
//   sqlite_wal options
//     prints the compile options, one a line, for comparison with the Linux build's
//   sqlite_wal write VERSION DATABASE TAG ROWS EXISTING
//     checks that this is SQLite VERSION; opens DATABASE (made when missing) in write-ahead-log
//     mode, finds EXISTING rows there, adds ROWS rows tagged TAG, each committed on its own and
//     holding the 256 byte values, and closes without a checkpoint: the rows stay in the log for the
//     next reader, which must find them there.
// One line per check; the exit status is non-zero when any check failed.
#include "windows_checks.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using checks::report;

// The first column of the first row of sql, as text; empty when there is none.
std::string first_value(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        if (text) value = reinterpret_cast<const char*>(text);
    }
    sqlite3_finalize(statement);
    return value;
}

bool run(sqlite3* db, const char* sql) {
    char* message = nullptr;
    const int status = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    if (status != SQLITE_OK) report(false, sql, message ? message : sqlite3_errstr(status));
    sqlite3_free(message);
    return status == SQLITE_OK;
}

bool add_row(sqlite3* db, const std::string& tag) {
    unsigned char bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<unsigned char>(i);
    sqlite3_stmt* insert = nullptr;
    bool ok = run(db, "BEGIN IMMEDIATE") &&
              sqlite3_prepare_v2(db, "INSERT INTO media (Tag, Object) VALUES (?, ?)", -1, &insert, nullptr) == SQLITE_OK &&
              sqlite3_bind_text(insert, 1, tag.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK &&
              sqlite3_bind_blob(insert, 2, bytes, sizeof bytes, SQLITE_TRANSIENT) == SQLITE_OK &&
              sqlite3_step(insert) == SQLITE_DONE;
    sqlite3_finalize(insert);
    return ok && run(db, "COMMIT");
}

void write(const std::string& version, const std::string& path, const std::string& tag, int rows, int existing) {
    report(version == sqlite3_libversion(), "SQLite " + version, sqlite3_libversion());
    sqlite3* db = nullptr;
    int status = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    report(status == SQLITE_OK, "open " + path, sqlite3_errstr(status));
    if (status != SQLITE_OK) {
        sqlite3_close(db);
        return;
    }
    // The log is left as it is on closing, for the next program to read.
    status = sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    report(status == SQLITE_OK, "no checkpoint on closing", sqlite3_errstr(status));
    const std::string mode = first_value(db, "PRAGMA journal_mode = WAL");
    report(mode == "wal", "journal_mode = WAL", mode);
    if (run(db, "PRAGMA synchronous = FULL; PRAGMA wal_autocheckpoint = 0;"
                "CREATE TABLE IF NOT EXISTS media (MEDIAID INTEGER PRIMARY KEY, Tag TEXT NOT NULL, Object BLOB NOT NULL)")) {
        const std::string found = first_value(db, "SELECT count(*) FROM media");
        report(found == std::to_string(existing), "rows found: " + std::to_string(existing), found);
        int added = 0;
        while (added < rows && add_row(db, tag)) ++added;
        report(added == rows, "rows added: " + std::to_string(rows), std::to_string(added));
    }
    status = sqlite3_close(db);
    report(status == SQLITE_OK, "close", sqlite3_errstr(status));
    WIN32_FILE_ATTRIBUTE_DATA log{};
    const bool has_log = GetFileAttributesExA((path + "-wal").c_str(), GetFileExInfoStandard, &log) &&
                         (log.nFileSizeLow != 0 || log.nFileSizeHigh != 0);
    report(has_log, "the rows stay in the write-ahead log");
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (mode == "options" && argc == 2) {
        for (int i = 0; const char* option = sqlite3_compileoption_get(i); ++i) std::printf("%s\n", option);
        return 0;
    }
    if (mode != "write" || argc != 7) {
        std::fprintf(stderr, "usage: sqlite_wal options | write VERSION DATABASE TAG ROWS EXISTING\n");
        return 2;
    }
    write(argv[2], argv[3], argv[4], std::atoi(argv[5]), std::atoi(argv[6]));
    return checks::summary();
}
