#include "hostapp/db/records_in_hand.h"

#include "hostapp/db/media_tables.h"

void RecordsInHand::stand_on(const void* reader, std::u16string_view table, std::u16string_view key) {
    by_reader_[reader] = {std::u16string(table), std::u16string(key)};
}

void RecordsInHand::leave(const void* reader) { by_reader_.erase(reader); }

bool RecordsInHand::may_write(std::u16string_view table, std::optional<std::u16string_view> key) const {
    bool walked = false;
    for (const auto& [reader, in_hand] : by_reader_) {
        if (!same_sql_name(in_hand.table, table)) continue;
        if (in_hand.key == key) return true;
        walked = true;
    }
    return !walked;
}

std::optional<std::u16string> RecordsInHand::one_in_hand(std::u16string_view table) const {
    for (const auto& [reader, in_hand] : by_reader_)
        if (same_sql_name(in_hand.table, table)) return in_hand.key;
    return std::nullopt;
}
