#include "app/run_account.h"

#include <utility>

#include "platform/case_insensitive.h"
#include "platform/ole/ole_object.h"

namespace ole = pathmender::ole;

std::optional<std::u16string> stored_link_path(std::span<const std::uint8_t> object) {
    // The header some desktop database programs put in front: signature 0x1C15, then its length.
    if (object.size() >= 4 && object[0] == 0x15 && object[1] == 0x1C) {
        const std::size_t header = object[2] | std::size_t(object[3]) << 8;
        if (header < 4 || header > object.size()) return std::nullopt;
        object = object.subspan(header);
    }
    try {
        std::size_t consumed = 0;
        const ole::OleObject read = ole::read_ole_object(object, consumed);
        if (ole::ole_type(read) != ole::kOleTypeLinked) return std::nullopt;
        return ole::source_doc(read);
    } catch (const ole::OleError&) {
        return std::nullopt;
    }
}

RunAccount::RunAccount(std::u16string previous_server, Progress progress)
    : previous_server_(std::move(previous_server)), progress_(std::move(progress)) {}

void RunAccount::settle() {
    if (in_hand_ && in_hand_selected_ && !in_hand_written_) ++counts_.not_found;
    in_hand_selected_ = in_hand_written_ = false;
}

void RunAccount::record_read(const MediaRecordSeen& record) {
    settle();
    ++counts_.records;
    table_ = record.table;
    in_hand_ = RecordPlace{std::u16string(record.table), std::u16string(record.media_id)};
    const std::optional<std::u16string> link = stored_link_path(record.object);
    in_hand_selected_ = link && find_whole_name(*link, previous_server_).has_value();
    if (in_hand_selected_) ++counts_.selected;
    if (progress_) progress_(false);
}

void RunAccount::table_walked(std::u16string_view table) {
    table_ = table;
    if (progress_) progress_(true);
}

void RunAccount::written_back(std::u16string_view table, std::u16string_view media_id) {
    ++counts_.relinked;
    // A write-back keyed by another record than the one in hand leaves that one unwritten.
    if (in_hand_ && in_hand_->table == table && in_hand_->media_id == media_id) in_hand_written_ = true;
}

void RunAccount::completed() {
    settle();
    in_hand_.reset();
}
