#include "hostapp/db/sqlite_backend.h"

#include <sqlite3.h>

#include <map>
#include <string>
#include <vector>

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/sqlite_host_file.h"
#include "hostapp/db/sqlite_row_source.h"
#include "hostapp/db/write_back_values.h"

namespace {

// A column name as SQL text; a name is quoted, so only characters SQLite cannot take are refused.
std::string column_sql(std::u16string_view name) {
    check_column_name(name);
    return quote_identifier(utf8(name));
}

void bind_number(SqliteStatement& statement, int index, const VARIANT& v) {
    switch (v.vt) {
    case VT_I2: statement.bind_int64(index, v.iVal); return;
    case VT_I4: statement.bind_int64(index, v.lVal); return;
    case VT_I8: statement.bind_int64(index, v.llVal); return;
    case VT_BOOL: statement.bind_int64(index, v.boolVal ? -1 : 0); return;
    case VT_R8: statement.bind_double(index, v.dblVal); return;
    default: raise_standard_error(RuntimeError::TypeMismatch);
    }
}

// Binds value and gives the bytes bound for a text, which stay bound in place (no copy of
// SQLite's own): the caller keeps them until the statement's bindings are cleared.
std::vector<std::uint8_t> bind_value(SqliteStatement& statement, int index, const VARIANT& value) {
    VARIANT scratch;
    const VARIANT& v = dereferenced(value, scratch);
    if (v.vt == VT_NULL || v.vt == VT_EMPTY) {
        statement.bind_null(index);
    } else if (v.vt == VT_BSTR) {
        std::vector<std::uint8_t> bytes = stored_text_bytes(bstr_view(v.bstrVal));
        statement.bind_blob_in_place(index, bytes);
        return bytes;
    } else {
        bind_number(statement, index, v);
    }
    return {};
}

void bind_key(SqliteStatement& statement, int index, const VARIANT& key) {
    VARIANT scratch;
    const VARIANT& v = dereferenced(key, scratch);
    if (v.vt == VT_NULL || v.vt == VT_EMPTY) raise_database_error(u"The key value is missing.");
    if (v.vt == VT_BSTR) statement.bind_text(index, utf8(bstr_view(v.bstrVal)));
    else bind_number(statement, index, v);
}

// Runs a prepared statement that returns no rows, and leaves it ready for the next run.
void run_once(SqliteStatement& statement) {
    statement.step();
    statement.reset();
}

// Resets a reused statement however its use ends, so that it holds nothing open between uses,
// nor any value bound in place.
class ResetOnExit {
public:
    explicit ResetOnExit(SqliteStatement& statement) : statement_(statement) {}
    ~ResetOnExit() {
        statement_.reset();
        statement_.clear_bindings();
    }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    SqliteStatement& statement_;
};

constexpr std::size_t kMostKeptUpdates = 64;

// Runs a PRAGMA that answers with one text, and gives that text.
std::string pragma_text(SqliteConnection& connection, const std::string& sql) {
    SqliteStatement statement = connection.prepare(sql);
    std::string result;
    if (statement.step()) {
        std::span<const std::uint8_t> text = statement.column_bytes(0);
        result.assign(text.begin(), text.end());
    }
    return result;
}

// The journal mode each open file was found in, and how many writers have it open: the first to
// open a file sees its own mode, the last to close it gives that mode back.
struct FoundJournalMode {
    std::string mode;
    int writers = 0;
};
std::map<std::filesystem::path, FoundJournalMode>& found_journal_modes() {
    static std::map<std::filesystem::path, FoundJournalMode> modes;
    return modes;
}

}  // namespace

SqliteBackend::SqliteBackend(std::filesystem::path file, int busy_timeout_ms, WriteBacks write_backs)
    : file_((check_sqlite_file(file), std::move(file))),
      busy_timeout_ms_(busy_timeout_ms),
      writer_(SqliteConnection::open_host_view(file_, busy_timeout_ms)) {
    configure_host_connection(writer_);
    read_only_ = sqlite3_db_readonly(writer_.handle(), "dbo") == 1;
    if (!read_only_ && write_backs == WriteBacks::roll_back) {
        // A file in write-ahead-log mode stays so (its log holds nothing that is rolled back); any
        // other keeps its rollback journal in memory, never in a file beside it. No page of an open
        // transaction is ever spilled into the file.
        if (pragma_text(writer_, "PRAGMA dbo.journal_mode") != "wal") pragma_text(writer_, "PRAGMA dbo.journal_mode = MEMORY");
        writer_.execute("PRAGMA cache_spill = OFF");
    } else if (!read_only_) {
        FoundJournalMode& found = found_journal_modes()[file_];
        if (found.writers++ == 0) found.mode = pragma_text(writer_, "PRAGMA dbo.journal_mode");
        restores_journal_mode_ = true;
        const std::string result = pragma_text(writer_, "PRAGMA dbo.journal_mode = WAL");
        if (result != "wal")
            raise_database_error(u"The database " + utf16(file_.string()) +
                                 u" cannot use a write-ahead log (journal mode " + utf16(result) + u").");
        // Every write-back is durable once committed, not only once the log is checkpointed.
        writer_.execute("PRAGMA dbo.synchronous = FULL");
    }
}

SqliteBackend::~SqliteBackend() {
    if (!restores_journal_mode_) return;
    auto found = found_journal_modes().find(file_);
    if (found == found_journal_modes().end() || --found->second.writers > 0) return;
    const std::string mode = found->second.mode;
    found_journal_modes().erase(found);
    if (mode.empty() || mode == "wal") return;
    // Leaving write-ahead logging checkpoints the log into the file and removes it. It needs the
    // file to itself: the readers of the run are closed by now. Should it fail, the file stays in
    // write-ahead-log mode, whole and readable.
    update_statements_go_first();
    try {
        pragma_text(writer_, "PRAGMA dbo.journal_mode = " + mode);
    } catch (const ComError&) {
    }
}

void SqliteBackend::update_statements_go_first() {
    begin_.finalize();
    commit_.finalize();
    rollback_.finalize();
    savepoint_.finalize();
    release_.finalize();
    updates_.clear();
}

SqliteStatement& SqliteBackend::kept_statement(const std::string& text) {
    auto kept = updates_.find(text);
    if (kept == updates_.end()) {
        SqliteStatement prepared = writer_.prepare(text);
        if (updates_.size() >= kMostKeptUpdates) updates_.clear();
        kept = updates_.emplace(text, std::move(prepared)).first;
    }
    return kept->second;
}

std::u16string SqliteBackend::name_sql(std::u16string_view name) const { return utf16(quote_identifier(utf8(name))); }

std::unique_ptr<RowSource> SqliteBackend::open_rows(std::u16string_view sql) const {
    return open_sqlite_rows(file_, busy_timeout_ms_, sql);
}

void SqliteBackend::begin() {
    // IMMEDIATE takes the write lock now, so the commit cannot meet a busy reader.
    if (!begin_) begin_ = writer_.prepare("BEGIN IMMEDIATE");
    run_once(begin_);
}

void SqliteBackend::commit() {
    if (!commit_) commit_ = writer_.prepare("COMMIT");
    run_once(commit_);
}

void SqliteBackend::rollback() noexcept {
    if (in_transaction()) sqlite3_exec(writer_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

bool SqliteBackend::in_transaction() const { return !sqlite3_get_autocommit(writer_.handle()); }

void SqliteBackend::savepoint() {
    if (!savepoint_) savepoint_ = writer_.prepare("SAVEPOINT write_back");
    run_once(savepoint_);
}

void SqliteBackend::release_savepoint() {
    if (!release_) release_ = writer_.prepare("RELEASE write_back");
    run_once(release_);
}

void SqliteBackend::undo_savepoint() noexcept {
    if (sqlite3_exec(writer_.handle(), "ROLLBACK TO write_back; RELEASE write_back", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        rollback();
}

StoredWriteBack SqliteBackend::write(const WriteBackRequest& request) {
    const std::string table_sql = "dbo." + quote_identifier(utf8(request.table));
    const std::string column = column_sql(request.column), key_column = column_sql(request.key_column);
    SqliteStatement& update =
        kept_statement("UPDATE " + table_sql + " SET " + column + " = ?1 WHERE " + key_column + " = ?2");
    // A journal sees the value before and after, and the key as stored.
    SqliteStatement* read = request.journaled ? &kept_statement("SELECT " + column + ", " + key_column + " FROM " +
                                                                table_sql + " WHERE " + key_column + " = ?1")
                                              : nullptr;
    StoredWriteBack done;
    if (read) {
        ResetOnExit reset(*read);
        bind_key(*read, 1, request.key);
        if (read->step()) {
            done.before = read->column_value(0);
            done.key = read->column_value(1);
        }
    }
    {
        ResetOnExit reset(update);
        done.written = bind_value(update, 1, request.value);
        bind_key(update, 2, request.key);
        update.step();
    }
    done.changed = sqlite3_changes64(writer_.handle());
    // A text is stored as the bytes bound; only a number is read back, to be hashed as SQLite spells it.
    if (read && done.changed == 1 && done.written.empty()) {
        ResetOnExit reset(*read);
        bind_key(*read, 1, request.key);
        if (read->step()) done.stored = read->column_value(0);
    }
    return done;
}
