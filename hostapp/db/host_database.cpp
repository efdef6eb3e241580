#include "hostapp/db/host_database.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"
#include "platform/ole/ansi_codepage.h"

namespace {

// A column name as SQL text; a name is quoted, so only characters SQLite cannot take are refused.
std::string column_sql(std::u16string_view name) {
    if (name.empty()) raise_database_error(u"A column name is missing.");
    for (char16_t c : name)
        if (c < 0x20) raise_database_error(u"The column name \"" + std::u16string(name) + u"\" is not valid.");
    return quote_identifier(utf8(name));
}

const VARIANT& dereferenced(const VARIANT& v, VARIANT& scratch) {
    if (v.vt == (VT_I4 | VT_BYREF)) {
        if (!v.plVal) raise_error(E_POINTER, u"The value refers to nothing.");
        scratch.vt = VT_I4;
        scratch.lVal = *v.plVal;
        return scratch;
    }
    return v;
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
        bool fits = true;
        std::vector<std::uint8_t> bytes = pathmender::ole::ansi_encode(bstr_view(v.bstrVal), &fits);
        // A character the code page cannot hold would be stored as '?': refuse rather than corrupt.
        if (!fits) raise_database_error(u"The value holds characters that the ANSI code page cannot store.");
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

// Rolls back the open transaction unless it was committed.
class TransactionGuard {
public:
    explicit TransactionGuard(sqlite3* db) : db_(db) {}
    ~TransactionGuard() {
        if (db_ && !sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    // The transaction stays open past the guard.
    void keep() { db_ = nullptr; }

private:
    sqlite3* db_;
};

}  // namespace

std::u16string key_text(const VARIANT& key) {
    try {
        VARIANT scratch;
        Variant copy;
        check(VariantCopy(copy.get(), &dereferenced(key, scratch)));
        return copy.to_text();
    } catch (const ComError&) {
        return u"?";
    }
}

void configure_host_connection(const SqliteConnection& connection) {
    sqlite3_db_config(connection.handle(), SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(connection.handle(), SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

namespace {

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

// The first bytes of every SQLite database file.
constexpr char kSqliteHeader[] = "SQLite format 3";

// What is wrong with file as a database, before SQLite is let near it: SQLite takes a missing or
// empty file for a new database and would make one of it.
void check_sqlite_file(const std::filesystem::path& file) {
    const std::u16string name = utf16(file.string());
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) raise_database_error(u"The database file " + name + u" is a folder.");
    if (!std::filesystem::is_regular_file(file, ec))
        raise_database_error(u"The database file " + name + u" does not exist.");
    if (std::filesystem::file_size(file, ec) == 0)
        raise_database_error(u"The database file " + name + u" is empty.");
    char header[sizeof kSqliteHeader] = {};
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) raise_database_error(u"The database file " + name + u" cannot be read.");
    const std::size_t got = std::fread(header, 1, sizeof header, in);
    std::fclose(in);
    if (got != sizeof header || std::memcmp(header, kSqliteHeader, sizeof header) != 0)
        raise_database_error(u"The file " + name + u" is not an SQLite database.");
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

void check_host_database_file(const std::filesystem::path& file) {
    check_sqlite_file(file);
    SqliteConnection connection = SqliteConnection::open_host_view(file, 0);
    std::u16string missing;
    for (std::u16string_view table : kMediaTables) {
        SqliteStatement exists =
            connection.prepare("SELECT 1 FROM dbo.sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
        exists.bind_text(1, utf8(table));
        if (!exists.step()) missing += (missing.empty() ? u"" : u", ") + std::u16string(table);
    }
    if (!missing.empty())
        raise_database_error(u"The database " + utf16(file.string()) + u" is not a host database: it lacks the media table" +
                             (missing.find(u',') == std::u16string::npos ? u" " : u"s ") + missing + u".");
}

std::int64_t count_media_records(const std::filesystem::path& file, int busy_timeout_ms) {
    SqliteConnection connection = SqliteConnection::open_host_view(file, busy_timeout_ms);
    configure_host_connection(connection);
    std::int64_t total = 0;
    for (std::u16string_view table : kMediaTables) {
        SqliteStatement count = connection.prepare("SELECT count(*) FROM dbo." + quote_identifier(utf8(table)));
        if (count.step()) total += count.column_int64(0);
    }
    return total;
}

HostDatabase::HostDatabase(std::filesystem::path file, int busy_timeout_ms, HostHooks hooks)
    : file_((check_sqlite_file(file), std::move(file))),
      busy_timeout_ms_(busy_timeout_ms),
      hooks_(hooks),
      writer_(SqliteConnection::open_host_view(file_, busy_timeout_ms)) {
    configure_host_connection(writer_);
    bool read_only = sqlite3_db_readonly(writer_.handle(), "dbo") == 1;
    if (!read_only && hooks_.write_backs == WriteBacks::roll_back) {
        // A file in write-ahead-log mode stays so (its log holds nothing that is rolled back); any
        // other keeps its rollback journal in memory, never in a file beside it. No page of an open
        // transaction is ever spilled into the file.
        if (pragma_text(writer_, "PRAGMA dbo.journal_mode") != "wal") pragma_text(writer_, "PRAGMA dbo.journal_mode = MEMORY");
        writer_.execute("PRAGMA cache_spill = OFF");
    } else if (!read_only) {
        FoundJournalMode& found = found_journal_modes()[file_];
        if (found.writers++ == 0) found.mode = pragma_text(writer_, "PRAGMA dbo.journal_mode");
        restores_journal_mode_ = true;
        const std::string result = pragma_text(writer_, "PRAGMA dbo.journal_mode = WAL");
        if (result != "wal")
            raise_database_error(u"The database " + utf16(file_.string()) +
                                 u" cannot use a write-ahead log (journal mode " + utf16(result) + u").");
        // Every write-back is durable once committed, not only once the log is checkpointed.
        writer_.execute("PRAGMA dbo.synchronous = FULL");
        grouping_ = hooks_.grouping;
        if (grouping_) grouping_->attach(this);
    }
}

HostDatabase::~HostDatabase() {
    if (grouping_) {
        // The program makes its write-backs durable before this; a group still open goes now.
        try {
            make_durable();
        } catch (const ComError&) {
        }
        grouping_->detach(this);
    }
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

void HostDatabase::update_statements_go_first() {
    begin_.finalize();
    commit_.finalize();
    rollback_.finalize();
    savepoint_.finalize();
    release_.finalize();
    updates_.clear();
}

WriteBackJournal* HostDatabase::journal() const {
    // A preview journals nothing.
    return hooks_.write_backs == WriteBacks::commit ? hooks_.journal : nullptr;
}

SqliteStatement& HostDatabase::kept_statement(const std::string& text) {
    auto kept = updates_.find(text);
    if (kept == updates_.end()) {
        SqliteStatement prepared = writer_.prepare(text);
        if (updates_.size() >= kMostKeptUpdates) updates_.clear();
        kept = updates_.emplace(text, std::move(prepared)).first;
    }
    return kept->second;
}

void HostDatabase::commit_if_due() {
    if (group_size_ == 0) return;
    if (group_size_ >= grouping_->most_records || std::chrono::steady_clock::now() - group_began_ >= grouping_->longest)
        commit_group();
}

void HostDatabase::make_durable() {
    if (group_size_ > 0) commit_group();
}

void HostDatabase::group_lost(const std::u16string& why) {
    const std::size_t lost = std::exchange(group_size_, 0);
    if (!sqlite3_get_autocommit(writer_.handle())) sqlite3_exec(writer_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    if (WriteBackJournal* kept = journal()) {
        try {
            kept->abandon_group();
        } catch (const ComError&) {
        }
    }
    raise_database_error(why + u"; the write-backs not yet committed (" + utf16(std::to_string(lost)) +
                         u") were not written.");
}

void HostDatabase::commit_group() {
    // The journal's entries are durable before the records they describe change.
    if (WriteBackJournal* kept = journal()) {
        try {
            kept->commit_group();
        } catch (const ComError& e) {
            group_lost(e.description);
        }
    }
    try {
        run_once(commit_);
    } catch (const ComError& e) {
        group_lost(e.description);
    }
    group_size_ = 0;
}

SqliteConnection HostDatabase::open_reader() const {
    SqliteConnection reader = SqliteConnection::open_host_view(file_, busy_timeout_ms_);
    configure_host_connection(reader);
    reader.execute("PRAGMA query_only = 1");
    return reader;
}

std::vector<std::uint8_t> HostDatabase::write_field(std::u16string_view table, std::u16string_view field,
                                                    std::u16string_view key_field, const VARIANT& key,
                                                    const VARIANT& value) {
    std::optional<std::u16string_view> media_table = find_media_table(table);
    if (!media_table)
        raise_database_error(u"\"" + std::u16string(table) + u"\" is not a media table of the host database.");
    // The walk's own record, by its key as the walk handed it out, or none.
    const std::u16string key_written = key_text(key);
    if (!in_hand_->may_write(*media_table, same_sql_name(key_field, u"MEDIAID") ? std::optional(key_written)
                                                                                 : std::nullopt)) {
        raise_database_error(u"The write-back names " + std::u16string(key_field) + u" " + key_written + u" of " +
                             std::u16string(*media_table) + u", not the record being read (MEDIAID " +
                             in_hand_->one_in_hand(*media_table).value_or(u"?") + u"); nothing was written.");
    }
    const std::string table_sql = "dbo." + quote_identifier(utf8(*media_table));
    std::string sql = "UPDATE " + table_sql + " SET " + column_sql(field) + " = ?1 WHERE " + column_sql(key_field) +
                      " = ?2";

    sqlite3* db = writer_.handle();
    if (!begin_) begin_ = writer_.prepare("BEGIN IMMEDIATE");
    if (!commit_) commit_ = writer_.prepare("COMMIT");
    if (!rollback_) rollback_ = writer_.prepare("ROLLBACK");
    SqliteStatement& update = kept_statement(sql);
    // A journal sees the value before and after, and the key as stored.
    WriteBackJournal* journal = this->journal();
    SqliteStatement* read = journal ? &kept_statement("SELECT " + column_sql(field) + ", " + column_sql(key_field) +
                                                      " FROM " + table_sql + " WHERE " + column_sql(key_field) +
                                                      " = ?1")
                                    : nullptr;
    // Everything of one write-back inside the transaction it is in: the change, exactly one row,
    // and the journal's entry.
    const auto write = [&] {
        SqliteValue before, stored_key;
        if (read) {
            ResetOnExit reset(*read);
            bind_key(*read, 1, key);
            if (read->step()) {
                before = read->column_value(0);
                stored_key = read->column_value(1);
            }
        }
        std::vector<std::uint8_t> written;
        {
            ResetOnExit reset(update);
            written = bind_value(update, 1, value);
            bind_key(update, 2, key);
            update.step();
        }
        sqlite3_int64 changed = sqlite3_changes64(db);
        if (changed != 1) {
            std::u16string where = std::u16string(*media_table) + u" where " + std::u16string(key_field) + u" = " +
                                   key_text(key);
            if (changed == 0) raise_database_error(u"No record of " + where + u"; nothing was written.");
            raise_database_error(u"More than one record of " + where + u"; nothing was written.");
        }
        if (journal) {
            // A text is stored as the bytes bound; only a number is read back, to be hashed as
            // SQLite spells it.
            SqliteValue number;
            std::span<const std::uint8_t> stored = written;
            if (written.empty()) {
                ResetOnExit reset(*read);
                bind_key(*read, 1, key);
                if (read->step()) number = read->column_value(0);
                stored = number.bytes();
            }
            journal->record({*media_table, field, key_field, stored_key, before, stored});
        }
        return written;
    };

    if (!grouping_) {
        TransactionGuard guard(db);
        // IMMEDIATE takes the write lock now, so the commit below cannot meet a busy reader.
        run_once(begin_);
        std::vector<std::uint8_t> written = write();
        run_once(hooks_.write_backs == WriteBacks::commit ? commit_ : rollback_);
        return written;
    }

    // Grouped: each write-back in a savepoint of the group's transaction.
    if (!savepoint_) savepoint_ = writer_.prepare("SAVEPOINT write_back");
    if (!release_) release_ = writer_.prepare("RELEASE write_back");
    if (group_size_ == 0) {
        {
            TransactionGuard guard(db);
            run_once(begin_);
            if (journal) journal->begin_group();
            guard.keep();
        }
        group_began_ = std::chrono::steady_clock::now();
    }
    std::vector<std::uint8_t> written;
    try {
        run_once(savepoint_);
        written = write();
        run_once(release_);
    } catch (...) {
        // SQLite gave up the whole group (a full disk, say): its earlier write-backs are lost too.
        if (sqlite3_get_autocommit(db)) {
            if (group_size_ == 0) {
                if (journal) journal->abandon_group();
                throw;
            }
            group_lost(error_from_current_exception().description);
        }
        // Only this one is undone; the group's earlier write-backs commit before the error goes on.
        sqlite3_exec(db, "ROLLBACK TO write_back; RELEASE write_back", nullptr, nullptr, nullptr);
        if (group_size_ > 0) commit_group();
        else {
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            if (journal) journal->abandon_group();
        }
        throw;
    }
    ++group_size_;
    commit_if_due();
    return written;
}
