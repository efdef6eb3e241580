#include "platform/ole/compound_file.h"

#include "platform/ole/ole_error.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>

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

std::uint64_t fnv1a(const Bytes& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325;
    for (std::uint8_t byte : bytes)
        hash = (hash ^ byte) * 0x100000001b3;
    return hash;
}

CompoundFile many_children(int count) {
    CompoundFile file;
    for (int i = 0; i < count; ++i)
        file.root.streams.push_back({(i % 3 ? "item" : "Item ") + std::to_string(i * 7 % count), filled(i * 37, i)});
    return file;
}

// Stored objects must not change between versions: these hashes are of the bytes the libgsf-based
// writer with its directory fix-up wrote for the same trees.
TEST(CompoundFile, WritesTheBytesEarlierVersionsWrote) {
    CompoundFile big;  // a FAT longer than the header's 109 slots: one DIFAT sector
    big.root.streams = {{"big", filled(7'200'000, 3)}, {"small", filled(100, 4)}};
    EXPECT_EQ(fnv1a(write_compound_file(sample_tree())), 10869405401789580931u);
    EXPECT_EQ(fnv1a(write_compound_file(many_children(21))), 14498933995665212045u);
    EXPECT_EQ(fnv1a(write_compound_file(big)), 17198176900827620634u);
}

// Each storage's children form a red-black tree in the format's name order: no red entry with a
// red child, the same number of black entries on every path.
class SiblingTree {
public:
    explicit SiblingTree(const Bytes& file) : file_(file), directory_(512 + std::size_t{load_u32(file, 0x30)} * 512) {}

    std::size_t entry(std::uint32_t id) const { return directory_ + std::size_t{id} * 128; }
    std::uint32_t link(std::uint32_t id, std::size_t field) const { return load_u32(file_, entry(id) + field); }
    bool red(std::uint32_t id) const { return file_[entry(id) + 0x43] == 0; }
    std::u16string name(std::uint32_t id) const {
        std::u16string text;
        for (std::size_t i = 0; i + 2 < load_u16(file_, entry(id) + 0x40); i += 2)
            text.push_back(static_cast<char16_t>(load_u16(file_, entry(id) + i)));
        return text;
    }

    // Black height of the subtree; names in order go to `names`.
    int check(std::uint32_t id, bool parent_red, std::vector<std::u16string>& names) const {
        if (id == 0xFFFFFFFF)
            return 1;
        EXPECT_FALSE(parent_red && red(id)) << "red entry " << id << " under a red parent";
        const int left = check(link(id, 0x44), red(id), names);
        names.push_back(name(id));
        const int right = check(link(id, 0x48), red(id), names);
        EXPECT_EQ(left, right) << "entry " << id;
        return left + (red(id) ? 0 : 1);
    }

private:
    const Bytes& file_;
    std::size_t directory_;
};

TEST(CompoundFile, SiblingsFormARedBlackTreeInNameOrder) {
    for (int count = 1; count <= 40; ++count) {
        SCOPED_TRACE(count);
        const Bytes bytes = write_compound_file(many_children(count));
        const SiblingTree tree(bytes);
        std::vector<std::u16string> names;
        tree.check(tree.link(0, 0x4C), false, names);
        ASSERT_EQ(names.size(), static_cast<std::size_t>(count));
        EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
            const auto upper = [](std::u16string s) {
                for (char16_t& c : s)
                    c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
                return s;
            };
            return a.size() != b.size() ? a.size() < b.size() : upper(a) < upper(b);
        }));
    }
}

TEST(CompoundFile, DamagedFilesFailWithLoadError) {
    CompoundFile nested = sample_tree();
    CompoundStorage* at = &nested.root;
    for (int depth = 0; depth < 65; ++depth) {
        at = &at->storages.emplace_back();
        at->name = "deeper";
    }
    const Bytes valid = write_compound_file(sample_tree());
    const std::size_t directory = 512 + std::size_t{load_u32(valid, 0x30)} * 512;
    const std::size_t storage_entry = directory + 128;  // "ObjectPool"
    const std::size_t stream_entry = directory + 256;   // its "Contents"
    struct Damage {
        const char* what;
        std::function<void(Bytes&)> apply;
    };
    const Damage damages[] = {
        {"sector shift 10", [](Bytes& b) { b[0x1E] = 10; }},
        {"mini sector shift 7", [](Bytes& b) { b[0x20] = 7; }},
        {"mini stream cutoff 8192", [](Bytes& b) { store_u32(b, 0x38, 8192); }},
        {"more FAT sectors than the file has", [](Bytes& b) { store_u32(b, 0x2C, 1000); }},
        {"a DIFAT sector too many", [](Bytes& b) { store_u32(b, 0x48, 1); }},
        {"FAT sector outside the file", [](Bytes& b) { store_u32(b, 0x4C, 5000); }},
        {"root entry with a sibling", [&](Bytes& b) { store_u32(b, directory + 0x48, 1); }},
        {"root entry of another type", [&](Bytes& b) { b[directory + 0x42] = 1; }},
        {"entry of an unknown type", [&](Bytes& b) { b[storage_entry + 0x42] = 3; }},
        {"stream with a child", [&](Bytes& b) { store_u32(b, stream_entry + 0x4C, 1); }},
        {"stream larger than the file", [&](Bytes& b) { store_u32(b, stream_entry + 0x78, 0x7FFFFFFF); }},
        {"name without its NUL", [&](Bytes& b) { b[storage_entry + 0x40] = 4; }},
        {"name longer than 31 characters", [&](Bytes& b) { b[storage_entry + 0x40] = 66; }},
        {"shorter than one sector", [](Bytes& b) { b.resize(700); }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        Bytes bytes = valid;
        damage.apply(bytes);
        EXPECT_EQ(testing::load_error_of([&] { read_compound_file(bytes); }), OleFailure::LoadingFromFile);
    }
    EXPECT_EQ(testing::load_error_of([&] { read_compound_file(write_compound_file(nested)); }), OleFailure::LoadingFromFile);
}

TEST(CompoundFile, TreesThatCannotBeStoredFailWithSaveError) {
    const auto save_error = [](const CompoundFile& file) -> std::optional<OleFailure> {
        try {
            write_compound_file(file);
        } catch (const OleError& error) {
            return error.failure();
        }
        return std::nullopt;
    };
    EXPECT_EQ(save_error(many_children(1)), std::nullopt);
    for (const char* name : {"a name of thirty-two characters.", "not UTF-8 \xFF", "nul \0 inside"}) {
        CompoundFile file;
        file.root.streams = {{std::string(name, std::char_traits<char>::length(name) + (name[0] == 'n' && name[1] == 'u' ? 2 : 0)), {}}};
        EXPECT_EQ(save_error(file), OleFailure::SavingToFile) << name;
    }
    CompoundFile late;
    late.root.modified_time = 265'046'774'400ull * 10'000'000;  // 10000-01-01
    EXPECT_EQ(save_error(late), OleFailure::SavingToFile);
}

// Version 4: 4096-byte sectors. The FAT, the directory, the mini FAT, the mini stream with "Small",
// then "Big" in sectors 4 and 5.
TEST(CompoundFile, VersionFourWithLargeSectorsReads) {
    constexpr std::size_t kSector = 4096;
    const auto at = [](std::size_t sector) { return kSector * (sector + 1); };
    Bytes file(at(6), 0);
    std::copy(kCompoundFileSignature.begin(), kCompoundFileSignature.end(), file.begin());
    const std::uint8_t versions[] = {0x3E, 0, 4, 0, 0xFE, 0xFF, 12, 0, 6, 0};
    std::copy(std::begin(versions), std::end(versions), file.begin() + 0x18);
    const std::pair<std::size_t, std::uint32_t> header[] = {{0x28, 1}, {0x2C, 1}, {0x30, 1}, {0x38, 4096}, {0x3C, 2},
                                                            {0x40, 1}, {0x44, 0xFFFFFFFE}, {0x48, 0}};
    for (auto [offset, value] : header)
        store_u32(file, offset, value);
    for (std::size_t slot = 0; slot < 109; ++slot)
        store_u32(file, 0x4C + 4 * slot, slot == 0 ? 0 : 0xFFFFFFFF);
    const std::uint32_t fat[] = {0xFFFFFFFD, 0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFE, 5, 0xFFFFFFFE};
    for (std::size_t i = 0; i < kSector / 4; ++i)
        store_u32(file, at(0) + 4 * i, i < std::size(fat) ? fat[i] : 0xFFFFFFFF);
    for (std::size_t i = 0; i < kSector / 4; ++i)
        store_u32(file, at(2) + 4 * i, i == 0 ? 0xFFFFFFFE : 0xFFFFFFFF);
    struct EntrySpec {
        std::u16string name;
        std::uint8_t type;
        std::uint32_t left, child, start, size;
    };
    const EntrySpec entries[] = {{u"Root Entry", 5, 0xFFFFFFFF, 1, 3, 64},
                                 {u"Small", 2, 2, 0xFFFFFFFF, 0, 10},
                                 {u"Big", 2, 0xFFFFFFFF, 0xFFFFFFFF, 4, 5000}};
    for (std::size_t id = 0; id < std::size(entries); ++id) {
        const std::size_t entry = at(1) + 128 * id;
        for (std::size_t i = 0; i < entries[id].name.size(); ++i)
            file[entry + 2 * i] = static_cast<std::uint8_t>(entries[id].name[i]);
        file[entry + 0x40] = static_cast<std::uint8_t>(2 * entries[id].name.size() + 2);
        file[entry + 0x42] = entries[id].type;
        file[entry + 0x43] = 1;
        for (auto [field, value] : {std::pair{0x44, entries[id].left}, {0x48, 0xFFFFFFFF}, {0x4C, entries[id].child},
                                    {0x74, entries[id].start}, {0x78, entries[id].size}})
            store_u32(file, entry + field, value);
    }
    const Bytes small = filled(10, 1), big = filled(5000, 2);
    std::copy(small.begin(), small.end(), file.begin() + at(3));
    std::copy(big.begin(), big.end(), file.begin() + at(4));

    const CompoundFile read = read_compound_file(file);
    ASSERT_EQ(read.root.streams.size(), 2u);
    EXPECT_EQ(read.root.find_stream("Small")->data, small);
    EXPECT_EQ(read.root.find_stream("Big")->data, big);
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
