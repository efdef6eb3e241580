// The header that desktop database programs put in front of the OLE fields they store: bytes 0x15
// 0x1C, then the header's 16-bit length, which counts those four bytes too.
#pragma once

#include "platform/ole/byte_io.h"

#include <cstddef>
#include <cstdint>

namespace pathmender::ole {

inline constexpr std::uint16_t kDesktopDatabaseHeaderSignature = 0x1C15;
// The signature and the length.
inline constexpr std::size_t kDesktopDatabaseHeaderFixedSize = 4;

// Where the OLE stream of a record starts: its header's length, or 0 when it has none. `head` holds
// the record's first bytes (all of them, or at least the fixed ones); a header that ends inside its
// fixed fields or beyond the record's `record_size` bytes fails as LoadingFromFile.
std::size_t desktop_database_header_length(ByteView head, std::size_t record_size);
inline std::size_t desktop_database_header_length(ByteView record) {
    return desktop_database_header_length(record, record.size());
}

}  // namespace pathmender::ole
