// The host's own account of an update run, kept from what it sees: the media records it hands out,
// each one's object decoded with the platform's reader, and the write-backs it receives. From
// those alone it knows how many records were read, which links named the previous server as a
// whole name (the links the page selects), which were re-linked, and which were not found.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "hostapp/db/run_watcher.h"

struct RunCounts {
    std::int64_t records = 0;   // read
    std::int64_t selected = 0;  // links naming the previous server as a whole name
    std::int64_t relinked = 0;  // written back
    std::int64_t not_found = 0; // selected, passed over without a write-back
};

// What a stored object is, as the platform's reader sees it.
enum class ObjectKind {
    empty,       // NULL, or no bytes
    embedded,    // an object that is no link
    linked,
    unreadable,  // neither stored layout
};

// One record as the account knows it.
struct AccountedRecord {
    std::u16string table;     // as the host spells it
    std::u16string media_id;  // as stored
    ObjectKind kind = ObjectKind::empty;
    std::u16string source;    // the link's path as read (linked objects only)
    bool selected = false;    // the link names the previous server as a whole name
    bool written = false;     // written back
    std::u16string new_path;  // the link of the bytes written back, when the account keeps details
};

// Told of every record once the account is done with it.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void settled(const AccountedRecord& record) = 0;
};

// A folder of the network that could not be listed, and why.
struct ListingFailure {
    std::filesystem::path folder;  // on disk
    std::u16string description;
};

class RunAccount : public RunWatcher {
public:
    // previous_server: as typed on the page. progress, when given, is called after each record is
    // accounted for (false) and at each table's end (true). sink, when given, is told of each
    // record settled, with the link path of what was written back.
    using Progress = std::function<void(bool table_end)>;
    explicit RunAccount(std::u16string previous_server, Progress progress = {}, RecordSink* sink = nullptr);

    void table_chosen(std::u16string_view table) override;
    void record_read(const MediaRecordSeen& record) override;
    void table_walked(std::u16string_view table) override;
    void written_back(std::u16string_view table, std::u16string_view media_id,
                      std::span<const std::uint8_t> written) override;
    void folder_not_listed(const std::filesystem::path& folder, std::u16string_view description) override;

    // The run ended with its summary message: the record in hand is done with.
    void completed();

    const RunCounts& counts() const { return counts_; }
    // The table being walked, or the last one walked.
    const std::u16string& table() const { return table_; }
    // The record in hand: the one a stopping error stopped at. None before the first, none once its
    // table's walk is over, and none once a completed run has let it go.
    const std::optional<AccountedRecord>& record_in_hand() const { return in_hand_; }
    // The table chosen for the next walk while none of its records is in hand: where an error
    // that comes between two tables stopped the run.
    const std::optional<std::u16string>& table_opening() const { return opening_; }
    // The last folder that could not be listed for the page.
    const std::optional<ListingFailure>& listing_failure() const { return listing_failure_; }

private:
    // Closes the account of the record in hand: a selected link it did not write back was not found.
    void settle();

    std::u16string previous_server_;
    Progress progress_;
    RecordSink* sink_;
    RunCounts counts_;
    std::u16string table_;
    std::optional<AccountedRecord> in_hand_;
    std::optional<std::u16string> opening_;
    std::optional<ListingFailure> listing_failure_;
};

// A stored object's kind and, for a link, its path (either stored layout, with or without the
// header that desktop database programs put in front).
struct StoredObjectView {
    ObjectKind kind = ObjectKind::empty;
    std::u16string link;
};
StoredObjectView view_stored_object(std::span<const std::uint8_t> object);
