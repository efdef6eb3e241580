// Temporary: writes and reads compound files through both the new code and the libgsf path
// (read_compound_file and write_compound_file log every comparison to $PATHMENDER_COMPARE_LOG).
// Usage: pm_ole_compound_comparison <corpus folder> <mutations per file>
#include "compound_file.h"
#include "legacy_compound_file.h"

#include <chrono>
#include "ole_error.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

using namespace pathmender::ole;

namespace {

Bytes filled(std::size_t size, unsigned seed) {
    Bytes data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(seed * 31 + i * 7);
    return data;
}

int g_written = 0;

void write_and_read(const CompoundFile& file, std::vector<Bytes>* keep = nullptr) {
    ++g_written;
    try {
        const Bytes bytes = write_compound_file(file);
        read_compound_file(bytes);
        if (keep && bytes.size() < 200'000)
            keep->push_back(bytes);
    } catch (const OleError&) {
    }
}

CompoundFile with_streams(std::vector<CompoundStream> streams) {
    CompoundFile file;
    file.root.streams = std::move(streams);
    return file;
}

void edge_trees(std::vector<Bytes>& kept) {
    write_and_read(CompoundFile{}, &kept);
    for (std::size_t size : {0, 1, 63, 64, 65, 511, 512, 513, 4095, 4096, 4097, 8192, 70000})
        write_and_read(with_streams({{"\1Ole", filled(size, 1)}, {"Data", filled(size / 2, 2)}}), &kept);
    std::mt19937 random(7);
    for (int count : {2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 31, 32, 33, 100, 300}) {
        std::vector<CompoundStream> streams;
        for (int i = 0; i < count; ++i) {
            std::string name;
            const int length = 1 + static_cast<int>(random() % 12);
            for (int k = 0; k < length; ++k)
                name.push_back("aAbB\1_xyZ09"[random() % 11]);
            streams.push_back({name + std::to_string(i), filled(random() % (count > 50 ? 4000 : 9000), i)});
        }
        write_and_read(with_streams(streams), &kept);
    }
    // Names equal but for case, duplicates, non-ASCII, the longest allowed and longer.
    write_and_read(with_streams({{"a", {1}}, {"A", {2}}, {"b", {3}}, {"B", {4}}, {"aa", {5}}, {"a", {6}}}), &kept);
    std::vector<CompoundStream> twins;
    for (int i = 0; i < 20; ++i)
        twins.push_back({i % 2 ? "same" : "SAME", filled(10, i)});
    write_and_read(with_streams(twins), &kept);
    write_and_read(with_streams({{"\xC3\xA9t\xC3\xA9", {1}}, {"\xE6\x97\xA5\xE6\x9C\xAC", {2}}, {"\xF0\x9F\x98\x80", {3}},
                                 {"\xC3\x89T\xC3\x89", {4}}, {"", {5}}}), &kept);
    write_and_read(with_streams({{std::string(31, 'n'), {1}}, {std::string(30, 'n') + "\xC3\xA9", {2}}}), &kept);
    write_and_read(with_streams({{std::string(32, 'n'), {1}}}));    // refused now, truncated before
    write_and_read(with_streams({{"bad\xFF", {1}}}));               // refused now, written nameless before
    // Storages: nesting, class ids, times at the edges of what can be stored.
    CompoundFile nested;
    CompoundStorage* at = &nested.root;
    for (int depth = 0; depth < 10; ++depth) {
        at->streams.push_back({"s" + std::to_string(depth), filled(100 * depth, depth)});
        at->storages.push_back({"level" + std::to_string(depth), {static_cast<std::uint8_t>(depth)}, 130'000'000'000'000'000ull + depth, {}, {}});
        at->storages.push_back({"other", {}, 0, {{"x", filled(5000, depth)}}, {}});
        at = &at->storages.front();
    }
    write_and_read(nested, &kept);
    const unsigned long long kLast = 265'046'774'399ull * 10'000'000ull;
    for (std::uint64_t time : {0ull, 1ull, 9ull, 10ull, 11ull, 123'456'789ull, 100'000'000'000'000'000ull,
                               116'444'736'000'000'000ull, 116'444'736'000'000'001ull, 133'540'000'001'234'567ull,
                               kLast, kLast + 9'999'999ull, kLast + 10'000'000ull, ~0ull}) {
        CompoundFile timed;
        timed.root.modified_time = time;
        timed.root.class_id = {1, 2, 3};
        timed.root.storages.push_back({"st", {9}, time, {}, {}});
        write_and_read(timed, &kept);
    }
    // Big files: the FAT outgrows the header (one and two DIFAT sectors), a multi-sector mini FAT.
    for (std::size_t size : {7'200'000, 16'000'000})
        write_and_read(with_streams({{"big", filled(size, 3)}, {"small", filled(100, 4)}}));
    std::vector<CompoundStream> many_small;
    for (int i = 0; i < 400; ++i)
        many_small.push_back({"m" + std::to_string(i), filled(1 + i * 10 % 4000, i)});
    write_and_read(with_streams(many_small));
}

Bytes read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), {});
}

int g_read = 0;

void mutate_and_read(const Bytes& original, int count, std::mt19937& random) {
    static const std::uint32_t kValues[] = {0, 1, 2, 3, 5, 8, 0x3F, 0x40, 0x1000, 0xFFF, 0xFFFFFFFF, 0xFFFFFFFE,
                                            0xFFFFFFFD, 0xFFFFFFFC, 0xFFFFFFFB, 0xFFFFFFFA, 0x7FFFFFFF};
    for (int i = 0; i < count; ++i) {
        Bytes bytes = original;
        const int edits = 1 + static_cast<int>(random() % 3);
        for (int e = 0; e < edits; ++e) {
            const std::size_t offset = (random() % 2 ? random() % std::min<std::size_t>(bytes.size(), 0x200) : random() % bytes.size()) & ~std::size_t{3};
            if (offset + 4 > bytes.size())
                continue;
            switch (random() % 4) {
            case 0: bytes[offset + random() % 4] = static_cast<std::uint8_t>(random()); break;
            case 1: store_u32(bytes, offset, kValues[random() % std::size(kValues)]); break;
            case 2: store_u32(bytes, offset, load_u32(bytes, offset) + (random() % 5) - 2); break;
            default: bytes.resize(bytes.size() - random() % std::min<std::size_t>(bytes.size(), 1024)); break;
            }
        }
        ++g_read;
        try {
            read_compound_file(bytes);
        } catch (const OleError&) {
        }
    }
}

}  // namespace

// Reads and writes the corpus's compound files `rounds` times through each path (run without
// $PATHMENDER_COMPARE_LOG so the new path runs alone).
void time_both(const std::vector<Bytes>& files, int rounds) {
    const auto run = [&](const char* what, auto read, auto write) {
        const auto start = std::chrono::steady_clock::now();
        std::size_t bytes = 0;
        for (int round = 0; round < rounds; ++round)
            for (const Bytes& file : files)
                bytes += write(read(file)).size();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: %d rounds of %zu files, %.3f s, %.1f us per file read and written (%zu bytes)\n", what, rounds,
                    files.size(), seconds, seconds * 1e6 / (rounds * static_cast<double>(files.size())), bytes);
    };
    run("libgsf", [](const Bytes& b) { return legacy::read_compound_file(b); },
        [](const CompoundFile& f) { return legacy::write_compound_file(f); });
    run("new", [](const Bytes& b) { return read_compound_file(b); },
        [](const CompoundFile& f) { return write_compound_file(f); });
}

int main(int argc, char** argv) {
    if (argc > 3) {
        std::vector<Bytes> files;
        for (const auto& item : std::filesystem::directory_iterator(argv[1])) {
            const Bytes file = read_file(item.path());
            if (item.path().filename().string().starts_with("container-blob-"))
                files.push_back(Bytes(file.begin() + 24, file.begin() + 24 + load_u32(file, 2)));
        }
        time_both(files, std::atoi(argv[2]));
        return 0;
    }
    std::vector<Bytes> bases;
    edge_trees(bases);
    std::printf("edge trees written: %d\n", g_written);
    for (const auto& item : std::filesystem::directory_iterator(argv[1])) {
        const Bytes file = read_file(item.path());
        if (item.path().filename().string().starts_with("container-blob-"))
            bases.push_back(Bytes(file.begin() + 24, file.begin() + 24 + load_u32(file, 2)));
    }
    std::mt19937 random(11);
    const int mutations = std::atoi(argv[2]);
    for (const Bytes& base : bases) {
        ++g_read;
        try {
            read_compound_file(base);
        } catch (const OleError&) {
        }
        mutate_and_read(base, mutations, random);
    }
    std::printf("bases %zu, reads %d\n", bases.size(), g_read);
}
