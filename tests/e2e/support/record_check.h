// What a run left in the database and the temporary folder, read back outside the program.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "hostapp/db/sqlite_connection.h"

using RecordKey = std::pair<std::u16string, std::int64_t>;  // table, MEDIAID
using RecordBytes = std::optional<std::vector<std::uint8_t>>;  // nothing: a NULL Object
using Records = std::map<RecordKey, RecordBytes>;

// Every record of the eleven media tables.
Records read_all_records(SqliteConnection& connection);

// PRAGMA integrity_check's answer, "ok" when the file is sound.
std::string integrity_check(SqliteConnection& connection);

// after is before re-linked to new_path and nothing else: one whole valid object, a link to
// new_path with the same update option, and every other stream and the class the same.
::testing::AssertionResult relinked_copy(const std::vector<std::uint8_t>& before,
                                         const std::vector<std::uint8_t>& after, std::u16string_view new_path);

// Names of the entries of folder, sorted; none when it is missing.
std::vector<std::string> folder_entries(const std::filesystem::path& folder);
