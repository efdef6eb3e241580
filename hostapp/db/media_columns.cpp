#include "hostapp/db/media_columns.h"

#include "hostapp/db/media_tables.h"

std::optional<MediaColumns> find_media_columns(const std::vector<ColumnOrigin>& origins) {
    std::optional<std::u16string_view> table;
    int media_id = -1, object = -1;
    for (int i = 0; i < int(origins.size()); ++i) {
        std::optional<std::u16string_view> from = find_media_table(origins[i].table);
        if (!from || (table && *table != *from)) continue;
        if (same_sql_name(origins[i].column, u"MEDIAID")) media_id = i;
        else if (same_sql_name(origins[i].column, u"Object")) object = i;
        else continue;
        table = from;
    }
    if (media_id < 0 || object < 0) return std::nullopt;
    return MediaColumns{std::u16string(*table), media_id, object};
}
