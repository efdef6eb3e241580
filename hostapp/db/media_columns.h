// Where a query's result holds the MEDIAID and the Object of a media table: the columns a record
// set watches, and stands on records by.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct MediaColumns {
    std::u16string table;  // the media table as the host spells it
    int media_id;          // result columns, counted from 0
    int object;
};

// Where one result column comes from: its table and its name there; both empty for an expression.
struct ColumnOrigin {
    std::u16string table;   // with or without the owner "dbo."
    std::u16string column;
};

// The MEDIAID and Object of the first media table the result reads both of; nothing when it
// reads no such pair.
std::optional<MediaColumns> find_media_columns(const std::vector<ColumnOrigin>& origins);
