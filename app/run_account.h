// The host's own account of an update run, kept from what it sees: the media records it hands out,
// each one's object decoded with the platform's reader, and the write-backs it receives. From
// those alone it knows how many records were read, which links named the previous server as a
// whole name (the links the page selects), which were re-linked, and which were not found.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "hostapp/services/run_watch.h"

struct RunCounts {
    std::int64_t records = 0;   // read
    std::int64_t selected = 0;  // links naming the previous server as a whole name
    std::int64_t relinked = 0;  // written back
    std::int64_t not_found = 0; // selected, passed over without a write-back
};

// Where a record stands: its table and its MEDIAID as stored.
struct RecordPlace {
    std::u16string table;
    std::u16string media_id;
};

class RunAccount : public RunWatcher {
public:
    // previous_server: as typed on the page. progress, when given, is called after each record is
    // accounted for (false) and at each table's end (true).
    using Progress = std::function<void(bool table_end)>;
    explicit RunAccount(std::u16string previous_server, Progress progress = {});

    void record_read(const MediaRecordSeen& record) override;
    void table_walked(std::u16string_view table) override;
    void written_back(std::u16string_view table, std::u16string_view media_id) override;

    // The run ended with its summary message: the record in hand is done with.
    void completed();

    const RunCounts& counts() const { return counts_; }
    // The table being walked, or the last one walked.
    const std::u16string& table() const { return table_; }
    // The record in hand: the one a stopping error stopped at. None before the first, and none
    // once a completed run has let it go.
    const std::optional<RecordPlace>& record_in_hand() const { return in_hand_; }

private:
    // Closes the account of the record in hand: a selected link it did not write back was not found.
    void settle();

    std::u16string previous_server_;
    Progress progress_;
    RunCounts counts_;
    std::u16string table_;
    std::optional<RecordPlace> in_hand_;
    bool in_hand_selected_ = false;
    bool in_hand_written_ = false;
};

// The link path of a stored object (either stored layout, with or without the header that desktop
// database programs put in front), or nothing when it is no link or cannot be read.
std::optional<std::u16string> stored_link_path(std::span<const std::uint8_t> object);
