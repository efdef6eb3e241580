// What the host sees of a page's work on the media tables, for a program that accounts for a run:
// the media table each walk is to read, every media record a record set hands out, the end of
// each table's walk, every record written back, and every folder of the network that could not be
// listed. Nothing watches unless the
// program set up the host with a watcher; the page knows nothing of it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/network.h"

// One media record as a record set hands it out. The views are valid during the call only.
struct MediaRecordSeen {
    std::u16string_view table;              // as the host spells it
    std::u16string_view media_id;           // MEDIAID as stored: an integer's digits, or its text
    std::span<const std::uint8_t> object;   // the Object column's bytes; empty for NULL
};

class RunWatcher : public ListingWatcher {
public:
    // A record source was set to a media table: the walk that comes next is of that table.
    virtual void table_chosen(std::u16string_view table) = 0;
    // A record set over a media table stepped onto a record.
    virtual void record_read(const MediaRecordSeen& record) = 0;
    // A record set over a media table stepped past its last record (at once for an empty table).
    virtual void table_walked(std::u16string_view table) = 0;
    // A write-back into a media table was committed (in a preview: went as far as the commit and
    // was rolled back). written: the bytes written, valid during the call only.
    virtual void written_back(std::u16string_view table, std::u16string_view media_id,
                              std::span<const std::uint8_t> written) = 0;
};
