#include "e2e/support/record_check.h"

#include <sqlite3.h>

#include <algorithm>
#include <exception>

#include "com/utf.h"
#include "hostapp/db/media_tables.h"
#include "platform/ole/ole_object.h"

namespace fs = std::filesystem;
namespace ole = pathmender::ole;

Records read_all_records(SqliteConnection& connection) {
    Records records;
    for (std::u16string_view table : kMediaTables) {
        SqliteStatement select =
            connection.prepare("SELECT MEDIAID, Object FROM " + quote_identifier(utf8(table)));
        while (select.step()) {
            RecordBytes bytes;
            if (select.column_type(1) != SQLITE_NULL) {
                auto stored = select.column_bytes(1);
                bytes.emplace(stored.begin(), stored.end());
            }
            records[{std::u16string(table), select.column_int64(0)}] = std::move(bytes);
        }
    }
    return records;
}

std::string integrity_check(SqliteConnection& connection) {
    SqliteStatement check = connection.prepare("PRAGMA integrity_check");
    std::string answer;
    while (check.step()) {
        auto text = check.column_bytes(0);
        if (!answer.empty()) answer += "\n";
        answer.append(text.begin(), text.end());
    }
    return answer;
}

::testing::AssertionResult relinked_copy(const std::vector<std::uint8_t>& before,
                                         const std::vector<std::uint8_t>& after, std::u16string_view new_path) {
    try {
        std::size_t consumed = 0;
        ole::OleObject old_object = ole::read_ole_object(before, consumed);
        ole::OleObject new_object = ole::read_ole_object(after, consumed);
        if (consumed != after.size())
            return ::testing::AssertionFailure() << "bytes after the object: " << after.size() - consumed;
        if (ole::ole_type(new_object) != ole::kOleTypeLinked) return ::testing::AssertionFailure() << "not a link";
        if (ole::source_doc(new_object) != new_path)
            return ::testing::AssertionFailure() << "links to " << utf8(ole::source_doc(new_object));
        if (ole::update_options(new_object) != ole::update_options(old_object))
            return ::testing::AssertionFailure() << "update options changed";
        const auto* a = std::get_if<ole::ContainerObject>(&old_object.layout);
        const auto* b = std::get_if<ole::ContainerObject>(&new_object.layout);
        if (!a || !b) return ::testing::AssertionFailure() << "not both in the container layout";
        if (a->storage.root.class_id != b->storage.root.class_id)
            return ::testing::AssertionFailure() << "class changed";
        auto others = [](const ole::ContainerObject& o) {
            std::map<std::string, ole::Bytes> out;
            for (const auto& s : o.storage.root.streams)
                if (s.name != "\1Ole") out[s.name] = s.data;
            return out;
        };
        if (others(*a) != others(*b)) return ::testing::AssertionFailure() << "another stream changed";
        return ::testing::AssertionSuccess();
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "not a valid object: " << e.what();
    }
}

std::vector<std::string> folder_entries(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
