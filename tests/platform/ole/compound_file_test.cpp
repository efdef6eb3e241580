#include "compound_file.h"

#include "ole_error.h"

#include <gtest/gtest.h>

namespace pathmender::ole {
namespace {

Bytes filled(std::size_t size, std::uint8_t seed) {
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(seed + i * 7);
    return data;
}

CompoundFile sample_tree() {
    CompoundFile file;
    file.root.class_id = {0x21, 0x08, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    file.root.modified_time = 133'540'000'001'230'000;  // whole microseconds
    file.root.streams = {
        {"\1Ole", filled(20, 1)},
        {"\2OlePres000", filled(3874, 2)},
        {"\1CompObj", filled(103, 3)},
        {"Workbook", filled(20727, 4)},  // above the mini stream cutoff
        {"\5SummaryInformation", {}},
    };
    CompoundStorage& storage = file.root.storages.emplace_back();
    storage.name = "ObjectPool";
    storage.class_id = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    storage.modified_time = 130'000'000'000'000'000;
    storage.streams = {{"Contents", filled(4096, 5)}};
    return file;
}

void expect_same_storage(const CompoundStorage& actual, const CompoundStorage& expected) {
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(actual.class_id, expected.class_id);
    EXPECT_EQ(actual.modified_time, expected.modified_time);
    ASSERT_EQ(actual.streams.size(), expected.streams.size());
    for (const CompoundStream& stream : expected.streams) {
        ASSERT_NE(actual.find_stream(stream.name), nullptr) << stream.name;
        EXPECT_EQ(actual.find_stream(stream.name)->data, stream.data) << stream.name;
    }
    ASSERT_EQ(actual.storages.size(), expected.storages.size());
    for (std::size_t i = 0; i < expected.storages.size(); ++i) {
        EXPECT_EQ(actual.storages[i].name, expected.storages[i].name);
        expect_same_storage(actual.storages[i], expected.storages[i]);
    }
}

TEST(CompoundFile, WrittenTreeReadsBackWithNamesClassesTimesAndData) {
    const CompoundFile written = sample_tree();
    const Bytes bytes = write_compound_file(written);
    EXPECT_EQ(bytes.size() % 512, 0u);
    expect_same_storage(read_compound_file(bytes).root, written.root);
}

TEST(CompoundFile, UnusedDirectoryEntriesSayNoSiblingAndNoChild) {
    CompoundFile link;  // three entries: one directory sector with one unused entry
    link.root.streams = {{"\1Ole", filled(20, 1)}, {"\2OlePres000", filled(3000, 2)}};
    const Bytes bytes = write_compound_file(link);
    const std::size_t directory = 512 + std::size_t{load_u32(bytes, 0x30)} * 512;
    int unused = 0;
    for (std::size_t entry = directory; entry < directory + 512; entry += 128) {
        if (bytes[entry + 0x42] != 0)
            continue;
        ++unused;
        for (std::size_t field : {0x44, 0x48, 0x4C})
            EXPECT_EQ(load_u32(bytes, entry + field), 0xFFFFFFFFu);
    }
    EXPECT_GT(unused, 0);
}

TEST(CompoundFile, NotACompoundFileFailsWithLoadError) {
    const Bytes garbage = filled(1024, 9);
    try {
        read_compound_file(garbage);
        FAIL() << "garbage read as a compound file";
    } catch (const OleError& error) {
        EXPECT_EQ(error.failure(), OleFailure::LoadingFromFile);
    }
}

}  // namespace
}  // namespace pathmender::ole
