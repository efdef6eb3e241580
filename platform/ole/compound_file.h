// Compound files (OLE2 structured storage) as a tree of storages and streams: read and written.
#pragma once

#include "platform/ole/byte_io.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pathmender::ole {

using ClassId = std::array<std::uint8_t, 16>;  // as stored: little-endian GUID fields

struct CompoundStream {
    std::string name;  // UTF-8; control characters kept ("\1Ole" is U+0001 "Ole")
    Bytes data;

    bool operator==(const CompoundStream&) const = default;
};

struct CompoundStorage {
    std::string name;  // "Root Entry" for the root; the writer ignores it there
    ClassId class_id{};
    std::uint64_t modified_time = 0;  // FILETIME, 0 when not set
    std::vector<CompoundStream> streams;
    std::vector<CompoundStorage> storages;

    const CompoundStream* find_stream(std::string_view stream_name) const;
    CompoundStream* find_stream(std::string_view stream_name);

    bool operator==(const CompoundStorage&) const = default;
};

// A compound file as a tree of storages and streams. Times below a microsecond are not kept.
struct CompoundFile {
    CompoundStorage root;

    bool operator==(const CompoundFile&) const = default;
};

// Fails as LoadingFromFile on any damage: chains that loop, break off or leave the file, a sector
// or mini sector in two chains, streams longer than their chains, a directory tree that loops, a
// root entry with siblings, storages nested more than 64 deep, sector sizes other than 512 and
// 4096 bytes. What the streams hold thus never adds up to more than the file.
CompoundFile read_compound_file(ByteView bytes);

// 512-byte sectors, 64-byte mini sectors, streams under 4096 bytes in the mini stream, each
// storage's children as a balanced red-black tree: always the same bytes for the same tree. Names
// longer than 31 UTF-16 code units, or not UTF-8, fail as SavingToFile.
Bytes write_compound_file(const CompoundFile& file);

inline constexpr std::array<std::uint8_t, 8> kCompoundFileSignature = {0xD0, 0xCF, 0x11, 0xE0,
                                                                       0xA1, 0xB1, 0x1A, 0xE1};

}  // namespace pathmender::ole
