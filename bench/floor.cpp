// pm_bench_floor: the least work an update run over the corpus must do, without any of the
// plug-in's logic: the same reads of every media record, one temporary-file write and read-back
// per record, the same single-row updates (each its own transaction, write-ahead log, full sync,
// as the host committed them before it grouped them) and one walk of the share.
//
// With --limit it is the limit of the work itself: every media record read once, the share walked
// once, every re-linked record written once, in synced commits of --batch records (no temporary
// files); with --journal as well, each re-linked record's old bytes are written once more into a
// journal file, committed and synced before its batch commits.
#include <CLI/CLI.hpp>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "bench/corpus.h"
#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/sqlite_host_file.h"
#include "hostapp/db/media_tables.h"
#include "hostapp/db/sqlite_connection.h"

namespace fs = std::filesystem;

namespace {

// Every file below folder, by readdir alone; folders are listed once each.
std::int64_t walk_share(const fs::path& share) {
    std::int64_t files = 0;
    std::vector<std::string> pending{share.string()};
    while (!pending.empty()) {
        std::string folder = std::move(pending.back());
        pending.pop_back();
        DIR* dir = ::opendir(folder.c_str());
        if (!dir) throw std::runtime_error("cannot list " + folder);
        while (const dirent* entry = ::readdir(dir)) {
            std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            if (entry->d_type == DT_DIR) pending.push_back(folder + "/" + entry->d_name);
            else ++files;
        }
        ::closedir(dir);
    }
    return files;
}

void write_all(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t put = ::write(fd, data, size);
        if (put <= 0) throw std::runtime_error("temporary file write failed");
        data += put;
        size -= std::size_t(put);
    }
}

// Writes bytes to a new private temporary file, reads them back, and deletes it.
void temporary_round_trip(const std::string& path, std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& back) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) throw std::runtime_error("cannot create " + path);
    write_all(fd, bytes.data(), bytes.size());
    ::close(fd);
    fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    struct stat status {};
    ::fstat(fd, &status);
    back.resize(std::size_t(status.st_size));
    std::size_t done = 0;
    while (done < back.size()) {
        ssize_t got = ::read(fd, back.data() + done, back.size() - done);
        if (got <= 0) throw std::runtime_error("temporary file read failed");
        done += std::size_t(got);
    }
    ::close(fd);
    ::unlink(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"The floor of an update run over the benchmark corpus"};
    std::string corpus, database, temp, journal_file;
    bool limit = false;
    std::int64_t batch = 256;
    app.add_option("--corpus", corpus, "The corpus folder (for its share and manifest)")->required();
    app.add_option("--db", database, "The database to read and write (a copy of the corpus's)")->required();
    app.add_option("--temp", temp, "The folder for temporary files")->required();
    app.add_flag("--limit", limit, "The limit: no temporary files, updates committed in batches");
    app.add_option("--batch", batch, "Updates a commit with --limit")->capture_default_str();
    app.add_option("--journal", journal_file, "With --limit: the old bytes into this journal before each batch");
    CLI11_PARSE(app, argc, argv);
    try {
        bench::CorpusLayout layout{corpus};
        // The records a run in search mode writes back.
        std::set<std::pair<std::string, std::int64_t>> written;
        for (const bench::ManifestRecord& r : bench::read_manifest(layout.manifest()))
            if (r.fate == bench::Fate::found || r.fate == bench::Fate::searched) written.insert({r.table, r.media_id});

        std::int64_t files = walk_share(layout.share());

        SqliteConnection reader = SqliteConnection::open_host_view(database, 5000);
        configure_host_connection(reader);
        reader.execute("PRAGMA query_only = 1");
        SqliteConnection writer = SqliteConnection::open_host_view(database, 5000);
        configure_host_connection(writer);
        writer.execute("PRAGMA dbo.journal_mode = WAL");
        writer.execute("PRAGMA dbo.synchronous = FULL");

        std::optional<SqliteConnection> journal;
        std::optional<SqliteStatement> journal_insert;
        if (!journal_file.empty()) {
            journal = SqliteConnection::open_file(journal_file, true);
            journal->execute("PRAGMA journal_mode = WAL");
            journal->execute("PRAGMA synchronous = FULL");
            journal->execute("CREATE TABLE IF NOT EXISTS old (table_name TEXT, key INTEGER, before BLOB)");
            journal_insert = journal->prepare("INSERT INTO old VALUES (?1, ?2, ?3)");
        }
        std::int64_t in_batch = 0;
        const auto commit_batch = [&] {
            if (in_batch == 0) return;
            if (journal) journal->execute("COMMIT");
            writer.execute("COMMIT");
            in_batch = 0;
        };

        const std::string temp_head = temp + "/PMfloor_" + std::to_string(::getpid()) + "_";
        std::int64_t records = 0, updates = 0;
        std::vector<std::uint8_t> back;
        for (std::u16string_view table16 : kMediaTables) {
            const std::string table = utf8(table16);
            SqliteStatement select =
                reader.prepare("SELECT MEDIAID, Object, ParentID FROM dbo." + quote_identifier(table));
            SqliteStatement update =
                writer.prepare("UPDATE dbo." + quote_identifier(table) + " SET Object = ?1 WHERE MEDIAID = ?2");
            while (select.step()) {
                const std::int64_t id = select.column_int64(0);
                const std::span<const std::uint8_t> object = select.column_bytes(1);
                if (limit) back.assign(object.begin(), object.end());
                else temporary_round_trip(temp_head + std::to_string(records) + ".OLE", object, back);
                ++records;
                if (!written.count({table, id})) continue;
                if (journal_insert) {
                    if (in_batch == 0) journal->execute("BEGIN IMMEDIATE");
                    journal_insert->bind_text(1, table);
                    journal_insert->bind_int64(2, id);
                    journal_insert->bind_blob(3, back);
                    journal_insert->step();
                    journal_insert->reset();
                }
                // New bytes in every page of the value, as a re-linked object has: SQLite writes
                // nothing (and syncs nothing) for a value stored over itself unchanged.
                for (std::uint8_t& byte : back) byte ^= 0x01;
                if (!limit || in_batch == 0) writer.execute("BEGIN IMMEDIATE");
                update.bind_blob(1, back);
                update.bind_int64(2, id);
                update.step();
                update.reset();
                ++updates;
                if (!limit) {
                    writer.execute("COMMIT");
                } else if (++in_batch == batch) {
                    commit_batch();
                }
            }
        }
        commit_batch();
        std::cout << (limit ? "limit: " : "floor: ") << records << " records read, " << updates << " updates, " << files
                  << " files walked\n";
    } catch (const ComError& e) {
        std::cerr << "pm_bench_floor: " << utf8(e.description) << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "pm_bench_floor: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
