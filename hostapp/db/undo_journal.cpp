#include "hostapp/db/undo_journal.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <system_error>
#include <thread>

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/database_error.h"

namespace fs = std::filesystem;

namespace {

// "PMJ1": the application id of a journal file.
constexpr std::int64_t kJournalApplicationId = 0x504D4A31;
constexpr std::int64_t kJournalVersion = 1;

constexpr char kSchema[] = R"(
CREATE TABLE runs (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  database TEXT NOT NULL,
  started TEXT NOT NULL,
  ended TEXT,
  previous_server TEXT NOT NULL,
  drive TEXT NOT NULL,
  exact INTEGER NOT NULL,
  records INTEGER, selected INTEGER, relinked INTEGER, not_found INTEGER,
  outcome TEXT,
  undone TEXT,
  undo_outcome TEXT
);
CREATE TABLE write_backs (
  id INTEGER PRIMARY KEY,
  run INTEGER NOT NULL REFERENCES runs (id),
  table_name TEXT NOT NULL,
  column_name TEXT NOT NULL,
  key_column TEXT NOT NULL,
  key BLOB,
  before BLOB,
  written_sha256 BLOB NOT NULL
);
CREATE INDEX write_backs_of_run ON write_backs (run, id);
)";

// Made by the first hold: journals made before it have none, and need none to be read.
constexpr char kHolderTable[] =
    "CREATE TABLE IF NOT EXISTS holder (command TEXT NOT NULL, run INTEGER, since TEXT NOT NULL, "
    "process INTEGER NOT NULL)";

std::int64_t pragma_number(SqliteConnection& connection, const char* sql) {
    SqliteStatement statement = connection.prepare(sql);
    return statement.step() ? statement.column_int64(0) : 0;
}

std::string text_of(const SqliteStatement& statement, int column) {
    std::span<const std::uint8_t> bytes = statement.column_bytes(column);
    return {bytes.begin(), bytes.end()};
}

std::u16string u16_of(const SqliteStatement& statement, int column) { return utf16(text_of(statement, column)); }

[[noreturn]] void refuse(const fs::path& file, std::u16string_view why) {
    raise_database_error(u"The undo journal " + utf16(file.string()) + u" " + std::u16string(why));
}

void make_journal_file(const fs::path& file, const fs::path& like_file) {
    // SQLite makes a journal of an empty file.
    if (auto why = make_private_file(file, like_file)) refuse(file, u"cannot be made: " + utf16(*why) + u".");
}

void open_for_hold(JournalHoldFile& hold, const fs::path& file) {
    if (auto why = hold.open(file)) refuse(file, u"cannot be opened: " + utf16(*why) + u".");
}

// Takes the hold, or says that another program has it.
bool take_hold(JournalHoldFile& hold, const fs::path& file) {
    try {
        return hold.take() == JournalHoldFile::Take::taken;
    } catch (const std::runtime_error& e) {
        refuse(file, u"cannot be held for the run: " + utf16(e.what()) + u".");
    }
}

std::string holder_text(const std::optional<JournalHolder>& holder) {
    if (!holder || holder->command.empty()) return "another run";
    std::string text = holder->command;
    if (holder->run) text += holder->command == "undo" ? " of run " + std::to_string(holder->run)
                                                       : " run " + std::to_string(holder->run);
    return text + " (process " + std::to_string(holder->process) + ") since " + holder->since;
}

[[noreturn]] void refuse_held(const fs::path& file, const std::optional<JournalHolder>& holder) {
    throw JournalInUse("the undo journal " + file.string() + " is in use: " + holder_text(holder) +
                       " holds it; one run at a time on a database");
}

}  // namespace

fs::path UndoJournal::beside(const fs::path& database) { return database.string() + ".pathmender-journal"; }

UndoJournal::UndoJournal(fs::path file, bool create, const fs::path& like_file)
    : file_(std::move(file)),
      connection_([&] {
          std::error_code ec;
          const bool exists = fs::exists(fs::symlink_status(file_, ec));
          if (!exists && !create) refuse(file_, u"does not exist.");
          if (exists && !fs::is_regular_file(file_, ec)) refuse(file_, u"is not a file.");
          if (!exists) make_journal_file(file_, like_file);
          made_here_ = !exists;
          open_for_hold(hold_, file_);
          return SqliteConnection::open_file(file_, !exists);
      }()) {
    sqlite3_busy_timeout(connection_.handle(), 5000);
    const std::int64_t application = pragma_number(connection_, "PRAGMA application_id");
    if (application == 0 && pragma_number(connection_, "SELECT count(*) FROM sqlite_master") == 0) {
        if (!create) refuse(file_, u"holds no runs.");
        connection_.execute("BEGIN IMMEDIATE");
        connection_.execute(kSchema);
        connection_.execute("PRAGMA application_id = " + std::to_string(kJournalApplicationId));
        connection_.execute("PRAGMA user_version = " + std::to_string(kJournalVersion));
        connection_.execute("COMMIT");
    } else if (application != kJournalApplicationId) {
        refuse(file_, u"is not an undo journal of this program.");
    } else if (pragma_number(connection_, "PRAGMA user_version") > kJournalVersion) {
        refuse(file_, u"was written by a later version of this program.");
    }
    // Each entry is durable once its commit returns: the log is synced at every commit.
    connection_.execute("PRAGMA journal_mode = WAL");
    connection_.execute("PRAGMA synchronous = FULL");
    // Entries are only appended: a small page cache does, whatever the size of the run.
    connection_.execute("PRAGMA cache_size = -256");
}

UndoJournal::~UndoJournal() {
    if (!holding_) return;
    // What a killed holder leaves behind is told apart by its lock; a tidy end leaves no row.
    try {
        connection_.execute("DELETE FROM holder");
    } catch (const ComError&) {
    }
}

void UndoJournal::check_not_held(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return;
    JournalHoldFile probe;
    if (probe.open(file) || !probe.held_elsewhere()) return;
    std::optional<JournalHolder> holder;
    try {
        holder = UndoJournal(file, false).recorded_holder();
    } catch (const ComError&) {
    }
    refuse_held(file, holder);
}

void UndoJournal::hold(std::string_view command, std::int64_t run) {
    if (holding_) {
        if (run) connection_.execute("UPDATE holder SET run = " + std::to_string(run));
        return;
    }
    if (!take_hold(hold_, file_)) refuse_held(file_, recorded_holder());
    holding_ = true;
    connection_.execute(kHolderTable);
    connection_.execute("BEGIN IMMEDIATE");
    connection_.execute("DELETE FROM holder");
    SqliteStatement insert = connection_.prepare("INSERT INTO holder (command, run, since, process) VALUES (?1, ?2, ?3, ?4)");
    insert.bind_text(1, command);
    insert.bind_int64(2, run);
    insert.bind_text(3, journal_time_now());
    insert.bind_int64(4, current_process_id());
    insert.step();
    connection_.execute("COMMIT");
}

std::optional<JournalHolder> UndoJournal::recorded_holder() {
    if (pragma_number(connection_, "SELECT count(*) FROM sqlite_master WHERE name = 'holder'") == 0) return std::nullopt;
    SqliteStatement select = connection_.prepare("SELECT command, run, since, process FROM holder");
    if (!select.step()) return std::nullopt;
    return JournalHolder{text_of(select, 0), select.column_int64(1), text_of(select, 2), select.column_int64(3)};
}

std::optional<JournalHolder> UndoJournal::live_holder() {
    if (!holding_ && !hold_.held_elsewhere()) return std::nullopt;
    if (std::optional<JournalHolder> holder = recorded_holder()) return holder;
    return JournalHolder{};  // it holds the lock, and has not said who it is yet
}

std::int64_t UndoJournal::begin_run(const RunStart& start) {
    SqliteStatement insert = connection_.prepare(
        "INSERT INTO runs (database, started, previous_server, drive, exact) VALUES (?1, ?2, ?3, ?4, ?5)");
    insert.bind_text(1, start.database);
    insert.bind_text(2, journal_time_now());
    insert.bind_text(3, utf8(start.previous_server));
    insert.bind_text(4, utf8(start.drive));
    insert.bind_int64(5, start.exact ? 1 : 0);
    insert.step();
    current_run_ = sqlite3_last_insert_rowid(connection_.handle());
    if (holding_) connection_.execute("UPDATE holder SET run = " + std::to_string(current_run_));
    return current_run_;
}

void UndoJournal::end_run(const RunTally& counts, std::string_view outcome) {
    if (!current_run_) return;
    SqliteStatement update = connection_.prepare(
        "UPDATE runs SET ended = ?2, records = ?3, selected = ?4, relinked = ?5, not_found = ?6, outcome = ?7 "
        "WHERE id = ?1");
    update.bind_int64(1, current_run_);
    update.bind_text(2, journal_time_now());
    update.bind_int64(3, counts.records);
    update.bind_int64(4, counts.selected);
    update.bind_int64(5, counts.relinked);
    update.bind_int64(6, counts.not_found);
    update.bind_text(7, outcome);
    update.step();
    current_run_ = 0;
}

bool UndoJournal::holds_runs() {
    SqliteStatement any = connection_.prepare("SELECT 1 FROM runs LIMIT 1");
    return any.step();
}

void UndoJournal::discard_run() {
    if (!current_run_) return;
    SqliteStatement remove = connection_.prepare("DELETE FROM runs WHERE id = ?1 AND NOT EXISTS "
                                                 "(SELECT 1 FROM write_backs WHERE run = ?1)");
    remove.bind_int64(1, current_run_);
    remove.step();
    current_run_ = 0;
}

void UndoJournal::record(const WriteBackSeen& write_back) {
    if (!current_run_) raise_database_error(u"The undo journal has no run open to record a write-back in.");
    if (!insert_)
        insert_ = connection_.prepare(
            "INSERT INTO write_backs (run, table_name, column_name, key_column, key, before, written_sha256) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    const Sha256 written = sha256(write_back.written);
    try {
        insert_.bind_int64(1, current_run_);
        insert_.bind_text(2, utf8(write_back.table));
        insert_.bind_text(3, utf8(write_back.column));
        insert_.bind_text(4, utf8(write_back.key_column));
        insert_.bind_value(5, write_back.key);
        insert_.bind_value(6, write_back.before);
        insert_.bind_blob(7, written);
        insert_.step();
    } catch (const ComError& e) {
        insert_.reset();
        raise_database_error(u"The undo journal " + utf16(file_.string()) + u" cannot record the write-back: " +
                             e.description);
    }
    insert_.reset();
}

void UndoJournal::begin_group() { connection_.execute("BEGIN IMMEDIATE"); }

void UndoJournal::commit_group() {
    try {
        connection_.execute("COMMIT");
    } catch (const ComError& e) {
        raise_database_error(u"The undo journal " + utf16(file_.string()) + u" cannot record the write-backs: " +
                             e.description);
    }
}

void UndoJournal::abandon_group() {
    if (!sqlite3_get_autocommit(connection_.handle())) connection_.execute("ROLLBACK");
}

namespace {

constexpr char kRunColumns[] =
    "SELECT id, database, started, ended, previous_server, drive, exact, records, selected, relinked, not_found, "
    "outcome, undone, undo_outcome, (SELECT count(*) FROM write_backs WHERE run = runs.id) FROM runs";

JournalRun run_of(const SqliteStatement& row) {
    JournalRun run;
    run.id = row.column_int64(0);
    run.database = text_of(row, 1);
    run.started = text_of(row, 2);
    run.ended = text_of(row, 3);
    run.previous_server = text_of(row, 4);
    run.drive = text_of(row, 5);
    run.exact = row.column_int64(6) != 0;
    run.counts = {row.column_int64(7), row.column_int64(8), row.column_int64(9), row.column_int64(10)};
    run.outcome = text_of(row, 11);
    run.undone = text_of(row, 12);
    run.undo_outcome = text_of(row, 13);
    run.write_backs = row.column_int64(14);
    return run;
}

}  // namespace

std::vector<JournalRun> UndoJournal::runs() {
    SqliteStatement select = connection_.prepare(std::string(kRunColumns) + " ORDER BY id DESC");
    std::vector<JournalRun> runs;
    while (select.step()) runs.push_back(run_of(select));
    return runs;
}

std::optional<JournalRun> UndoJournal::run(std::int64_t id) {
    SqliteStatement select = connection_.prepare(std::string(kRunColumns) + " WHERE id = ?1");
    select.bind_int64(1, id);
    if (!select.step()) return std::nullopt;
    return run_of(select);
}

void UndoJournal::each_write_back(std::int64_t run, const std::function<void(const JournalEntry&)>& visit) {
    SqliteStatement select = connection_.prepare(
        "SELECT id, table_name, column_name, key_column, key, before, written_sha256 FROM write_backs "
        "WHERE run = ?1 ORDER BY id DESC");
    select.bind_int64(1, run);
    while (select.step()) {
        JournalEntry entry;
        entry.id = select.column_int64(0);
        entry.table = u16_of(select, 1);
        entry.column = u16_of(select, 2);
        entry.key_column = u16_of(select, 3);
        entry.key = select.column_value(4);
        entry.before = select.column_value(5);
        std::span<const std::uint8_t> digest = select.column_bytes(6);
        if (digest.size() != entry.written.size())
            refuse(file_, u"holds a write-back whose digest is damaged.");
        std::copy(digest.begin(), digest.end(), entry.written.begin());
        visit(entry);
    }
}

void UndoJournal::mark_undone(std::int64_t run, std::string_view outcome) {
    SqliteStatement update = connection_.prepare("UPDATE runs SET undone = ?2, undo_outcome = ?3 WHERE id = ?1");
    update.bind_int64(1, run);
    update.bind_text(2, journal_time_now());
    update.bind_text(3, outcome);
    update.step();
}
