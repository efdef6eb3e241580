// The media records the host's reading record sets stand on, by table: the records a walk has in
// hand. A write-back into a table that a walk is reading must name one of them exactly (the key
// as the walk handed it out), so a key that only looks like another record's ("05" written back
// as 5) never lands on that other record.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

class RecordsInHand {
public:
    // The record set reader stands on the record of table whose key reads as key.
    void stand_on(const void* reader, std::u16string_view table, std::u16string_view key);
    // The record set reader stands on no record any more (past its last, closed or gone).
    void leave(const void* reader);

    // Whether a write-back into table may name key (none: it names the record by another column):
    // it is a record in hand of table, or no walk over table stands on any record.
    bool may_write(std::u16string_view table, std::optional<std::u16string_view> key) const;
    // A key in hand of table, for a message.
    std::optional<std::u16string> one_in_hand(std::u16string_view table) const;

private:
    struct InHand {
        std::u16string table, key;
    };
    std::map<const void*, InHand> by_reader_;
};
