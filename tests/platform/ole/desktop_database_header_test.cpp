#include "platform/ole/desktop_database_header.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace pathmender::ole {
namespace {

TEST(DesktopDatabaseHeader, LengthIsWhereTheStreamStartsAndABrokenHeaderFailsToLoad) {
    constexpr std::size_t kWhole = 0;  // the record is the bytes given
    struct Row {
        const char* name;
        Bytes head;
        std::size_t record_size;
        std::optional<std::size_t> length;  // nothing: fails as LoadingFromFile
    };
    const Row rows[] = {
        {"empty", {}, kWhole, 0},
        {"one byte of the signature", {0x15}, kWhole, 0},
        {"an OLE 1.0 stream", {0x01, 0x05, 0x00, 0x00, 0x02, 0x00}, kWhole, 0},
        {"the container's layout", {0x18, 0x00, 0x15, 0x1C}, kWhole, 0},
        {"the signature's bytes swapped", {0x1C, 0x15, 0x04, 0x00}, kWhole, 0},
        {"fixed fields only", {0x15, 0x1C, 0x04, 0x00, 0xAA}, kWhole, 4},
        {"the whole record", {0x15, 0x1C, 0x06, 0x00, 1, 2}, kWhole, 6},
        {"a length above 255, from the first bytes", {0x15, 0x1C, 0x2F, 0x01}, 0x12F, 0x12F},
        {"the signature only", {0x15, 0x1C}, kWhole, std::nullopt},
        {"half a length", {0x15, 0x1C, 0x14}, kWhole, std::nullopt},
        {"a length inside the fixed fields", {0x15, 0x1C, 0x03, 0x00, 1, 2}, kWhole, std::nullopt},
        {"a length of 0", {0x15, 0x1C, 0x00, 0x00, 1, 2}, kWhole, std::nullopt},
        {"a length beyond the record", {0x15, 0x1C, 0x07, 0x00, 1, 2}, kWhole, std::nullopt},
        {"a length beyond the record, from the first bytes", {0x15, 0x1C, 0x2F, 0x01}, 0x12E, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::size_t record_size = row.record_size == kWhole ? row.head.size() : row.record_size;
        std::size_t length = 0;
        const auto failure = testing::load_error_of([&] { length = desktop_database_header_length(row.head, record_size); });
        if (row.length) {
            EXPECT_EQ(failure, std::nullopt);
            EXPECT_EQ(length, *row.length);
        } else {
            EXPECT_EQ(failure, OleFailure::LoadingFromFile);
        }
    }
}

}  // namespace
}  // namespace pathmender::ole
