#include "hostapp/db/records_in_hand.h"

#include "hostapp/db/media_tables.h"

void RecordsInHand::stand_on(const void* reader, std::u16string_view table, std::u16string_view key,
                             std::optional<std::span<const std::uint8_t>> object) {
    InHand& in_hand = by_reader_[reader];
    in_hand.table = table;
    in_hand.key = key;
    in_hand.object.reset();
    if (!keeps_objects_) return;
    in_hand.object.emplace();
    if (object) in_hand.object->bytes.emplace(object->begin(), object->end());
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

const ObjectRead* RecordsInHand::object_read(std::u16string_view table, std::u16string_view key) const {
    for (const auto& [reader, in_hand] : by_reader_)
        if (in_hand.object && same_sql_name(in_hand.table, table) && in_hand.key == key) return &*in_hand.object;
    return nullptr;
}
