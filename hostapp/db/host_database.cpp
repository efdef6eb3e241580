#include "hostapp/db/host_database.h"

#include <string>

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/db/database_error.h"
#include "hostapp/db/media_tables.h"

namespace {

// Rolls back the writer's open transaction unless it was committed.
class TransactionGuard {
public:
    explicit TransactionGuard(DatabaseBackend& backend) : backend_(&backend) {}
    ~TransactionGuard() {
        if (backend_) backend_->rollback();
    }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    // The transaction stays open past the guard.
    void keep() { backend_ = nullptr; }

private:
    DatabaseBackend* backend_;
};

}  // namespace

HostDatabase::HostDatabase(std::unique_ptr<DatabaseBackend> backend, HostHooks hooks)
    : backend_(std::move(backend)),
      hooks_(hooks),
      in_hand_(std::make_shared<RecordsInHand>(backend_->writes_only_over_what_was_read())) {
    if (backend_->writable() && hooks_.write_backs == WriteBacks::commit) {
        grouping_ = hooks_.grouping;
        if (grouping_) grouping_->attach(this);
    }
}

HostDatabase::~HostDatabase() {
    if (!grouping_) return;
    // The program makes its write-backs durable before this; a group still open goes now.
    try {
        make_durable();
    } catch (const ComError&) {
    }
    grouping_->detach(this);
}

WriteBackJournal* HostDatabase::journal() const {
    // A preview journals nothing.
    return hooks_.write_backs == WriteBacks::commit ? hooks_.journal : nullptr;
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
    backend_->rollback();
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
        backend_->commit();
    } catch (const ComError& e) {
        group_lost(e.description);
    }
    group_size_ = 0;
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
    check_column_name(field);
    check_column_name(key_field);
    WriteBackRequest request{*media_table, field, key_field, key, value, journal() != nullptr};
    if (same_sql_name(field, u"Object") && same_sql_name(key_field, u"MEDIAID"))
        request.only_over = in_hand_->object_read(*media_table, key_written);

    if (!grouping_) {
        TransactionGuard guard(*backend_);
        backend_->begin();
        std::vector<std::uint8_t> written = write_one(request);
        if (hooks_.write_backs == WriteBacks::commit) backend_->commit();
        else backend_->rollback();
        return written;
    }
    return write_in_group(request);
}

std::vector<std::uint8_t> HostDatabase::write_one(const WriteBackRequest& request) {
    StoredWriteBack done = backend_->write(request);
    if (done.changed != 1) {
        std::u16string where = std::u16string(request.table) + u" where " + std::u16string(request.key_column) +
                               u" = " + key_text(request.key);
        if (done.changed == 0) raise_database_error(u"No record of " + where + u"; nothing was written.");
        raise_database_error(u"More than one record of " + where + u"; nothing was written.");
    }
    if (WriteBackJournal* journal = this->journal()) {
        // A text is stored as the bytes bound; anything else as the database holds it now.
        const std::span<const std::uint8_t> stored = done.written.empty() ? done.stored.bytes() : done.written;
        journal->record({request.table, request.column, request.key_column, done.key, done.before, stored});
    }
    return std::move(done.written);
}

std::vector<std::uint8_t> HostDatabase::write_in_group(const WriteBackRequest& request) {
    // Each write-back in a savepoint of the group's transaction.
    WriteBackJournal* journal = this->journal();
    if (group_size_ == 0) {
        {
            TransactionGuard guard(*backend_);
            backend_->begin();
            if (journal) journal->begin_group();
            guard.keep();
        }
        group_began_ = std::chrono::steady_clock::now();
    }
    std::vector<std::uint8_t> written;
    try {
        backend_->savepoint();
        written = write_one(request);
        backend_->release_savepoint();
    } catch (...) {
        // Only this one is undone; the group's earlier write-backs commit before the error goes on.
        if (backend_->in_transaction()) backend_->undo_savepoint();
        // The database gave up the whole group (a full disk, say): its earlier write-backs are lost too.
        if (!backend_->in_transaction()) {
            if (group_size_ == 0) {
                if (journal) journal->abandon_group();
                throw;
            }
            group_lost(error_from_current_exception().description);
        }
        if (group_size_ > 0) commit_group();
        else {
            backend_->rollback();
            if (journal) journal->abandon_group();
        }
        throw;
    }
    ++group_size_;
    commit_if_due();
    return written;
}
