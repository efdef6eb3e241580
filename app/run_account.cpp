#include "app/run_account.h"

#include <utility>

#include "platform/case_insensitive.h"
#include "platform/ole/desktop_database_header.h"
#include "platform/ole/ole_object.h"

namespace ole = pathmender::ole;

StoredObjectView view_stored_object(std::span<const std::uint8_t> object) {
    if (object.empty()) return {ObjectKind::empty, {}};
    try {
        // A broken desktop database header leaves the object unreadable too.
        const std::size_t header = ole::desktop_database_header_length(object);
        std::size_t consumed = 0;
        const ole::OleObject read = ole::read_ole_object(object.subspan(header), consumed);
        if (ole::ole_type(read) != ole::kOleTypeLinked) return {ObjectKind::embedded, {}};
        return {ObjectKind::linked, ole::source_doc(read)};
    } catch (const ole::OleError&) {
        return {ObjectKind::unreadable, {}};
    }
}

RunAccount::RunAccount(std::u16string previous_server, Progress progress, RecordSink* sink)
    : previous_server_(std::move(previous_server)), progress_(std::move(progress)), sink_(sink) {}

void RunAccount::settle() {
    if (!in_hand_) return;
    if (in_hand_->selected && !in_hand_->written) ++counts_.not_found;
    if (sink_) sink_->settled(*in_hand_);
}

void RunAccount::record_read(const MediaRecordSeen& record) {
    settle();
    opening_.reset();
    ++counts_.records;
    table_ = record.table;
    StoredObjectView object = view_stored_object(record.object);
    in_hand_.emplace();
    in_hand_->table = record.table;
    in_hand_->media_id = record.media_id;
    in_hand_->kind = object.kind;
    in_hand_->source = std::move(object.link);
    in_hand_->selected = object.kind == ObjectKind::linked && find_whole_name(in_hand_->source, previous_server_);
    if (in_hand_->selected) ++counts_.selected;
    if (progress_) progress_(false);
}

void RunAccount::table_chosen(std::u16string_view table) {
    settle();
    in_hand_.reset();
    opening_ = std::u16string(table);
}

void RunAccount::table_walked(std::u16string_view table) {
    // Every write-back of a table comes before the end of its walk: its last record is done with.
    settle();
    in_hand_.reset();
    opening_.reset();
    table_ = table;
    if (progress_) progress_(true);
}

void RunAccount::written_back(std::u16string_view table, std::u16string_view media_id,
                              std::span<const std::uint8_t> written) {
    ++counts_.relinked;
    // A write-back keyed by another record than the one in hand leaves that one unwritten.
    if (in_hand_ && in_hand_->table == table && in_hand_->media_id == media_id) {
        in_hand_->written = true;
        if (sink_) in_hand_->new_path = view_stored_object(written).link;
    }
}

void RunAccount::folder_not_listed(const std::filesystem::path& folder, std::u16string_view description) {
    listing_failure_ = ListingFailure{folder, std::u16string(description)};
}

void RunAccount::completed() {
    settle();
    in_hand_.reset();
}
