// Constants of the compound file format ([MS-CFB]) that the reader and the writer share.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pathmender::ole::cfb {

inline constexpr std::size_t kHeaderSize = 512;
inline constexpr std::size_t kEntrySize = 128;
inline constexpr std::size_t kHeaderDifatSlots = 109;
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;
inline constexpr unsigned kSectorShift = 9;  // what the writer uses; the reader takes 12 too
inline constexpr unsigned kLargeSectorShift = 12;
inline constexpr unsigned kMiniSectorShift = 6;
inline constexpr std::size_t kMaxNameUnits = 31;  // UTF-16 code units before the terminating NUL

// Sector numbers with a meaning of their own, in the FAT, the mini FAT and the DIFAT.
inline constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
inline constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
// "No entry" as a sibling or child.
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

// Offsets within the header.
inline constexpr std::size_t kSectorShiftField = 0x1E;
inline constexpr std::size_t kMiniSectorShiftField = 0x20;
inline constexpr std::size_t kFatSectorCount = 0x2C;
inline constexpr std::size_t kFirstDirectorySector = 0x30;
inline constexpr std::size_t kMiniStreamCutoffField = 0x38;
inline constexpr std::size_t kFirstMiniFatSector = 0x3C;
inline constexpr std::size_t kMiniFatSectorCount = 0x40;
inline constexpr std::size_t kFirstDifatSector = 0x44;
inline constexpr std::size_t kDifatSectorCount = 0x48;
inline constexpr std::size_t kHeaderDifat = 0x4C;

// Offsets within a directory entry.
inline constexpr std::size_t kNameLength = 0x40;  // in bytes, with the terminating NUL
inline constexpr std::size_t kType = 0x42;
inline constexpr std::size_t kColour = 0x43;
inline constexpr std::size_t kLeftSibling = 0x44;
inline constexpr std::size_t kRightSibling = 0x48;
inline constexpr std::size_t kChild = 0x4C;
inline constexpr std::size_t kClassId = 0x50;
inline constexpr std::size_t kModifiedTime = 0x6C;
inline constexpr std::size_t kStartSector = 0x74;
inline constexpr std::size_t kStreamSize = 0x78;

// Entry types and colours.
inline constexpr std::uint8_t kStorage = 1;
inline constexpr std::uint8_t kStream = 2;
inline constexpr std::uint8_t kRoot = 5;
inline constexpr std::uint8_t kRed = 0;
inline constexpr std::uint8_t kBlack = 1;

// Entry times: FILETIMEs, kept to whole microseconds up to the end of the year 9999 (in seconds
// since 1601), as they always have been.
inline constexpr std::uint64_t kTicksPerSecond = 10'000'000;
inline constexpr std::uint64_t kLastStorableSecond = 265'046'774'399;

// Entries nested deeper than this are refused by the reader.
inline constexpr int kMaxStorageDepth = 64;

}  // namespace pathmender::ole::cfb
