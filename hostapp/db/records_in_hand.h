// The media records the host's reading record sets stand on, by table: the records a walk has in
// hand. A write-back into a table that a walk is reading must name one of them exactly (the key
// as the walk handed it out), so a key that only looks like another record's ("05" written back
// as 5) never lands on that other record. Where the database may be changed by others while a run
// goes, the Object bytes each walk read are kept with its record, so that its write-back can be
// made only while the record still holds them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The Object of a record as a walk read it.
struct ObjectRead {
    std::optional<std::vector<std::uint8_t>> bytes;  // none: NULL
};

class RecordsInHand {
public:
    // keeps_objects: whether the Object bytes of each record in hand are kept.
    explicit RecordsInHand(bool keeps_objects = false) : keeps_objects_(keeps_objects) {}

    // The record set reader stands on the record of table whose key reads as key, and read object
    // (none: NULL) as its Object.
    void stand_on(const void* reader, std::u16string_view table, std::u16string_view key,
                  std::optional<std::span<const std::uint8_t>> object = std::nullopt);
    // The record set reader stands on no record any more (past its last, closed or gone).
    void leave(const void* reader);

    // Whether a write-back into table may name key (none: it names the record by another column):
    // it is a record in hand of table, or no walk over table stands on any record.
    bool may_write(std::u16string_view table, std::optional<std::u16string_view> key) const;
    // A key in hand of table, for a message.
    std::optional<std::u16string> one_in_hand(std::u16string_view table) const;
    // The Object a walk read of the record of table it stands on under key; null when no walk
    // stands on it, or objects are not kept.
    const ObjectRead* object_read(std::u16string_view table, std::u16string_view key) const;

private:
    struct InHand {
        std::u16string table, key;
        std::optional<ObjectRead> object;  // when kept
    };
    bool keeps_objects_;
    std::map<const void*, InHand> by_reader_;
};
