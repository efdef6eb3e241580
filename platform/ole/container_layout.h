// The container control's own layout: a 24-byte header, then the object's storage as a compound
// file.
#pragma once

#include "platform/ole/byte_io.h"
#include "platform/ole/compound_file.h"
#include "platform/ole/ole_info_stream.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pathmender::ole {

// What the container control itself writes: a 24-byte header, then the object's storage as a
// compound file.
struct ContainerObject {
    Bytes image;  // header and compound file: exactly the bytes this object saves as
    CompoundFile storage;
    OleInfoStream info;
    bool is_link = false;
};

inline constexpr std::size_t kContainerHeaderSize = 24;

bool starts_container_object(ByteView bytes);

// Reads the object at the start of `bytes`; `consumed` is 24 + the compound file's length.
ContainerObject read_container_object(ByteView bytes, std::size_t& consumed);

// Re-links to `path`; the compound file is written anew and stamped `now` (a FILETIME).
void relink_container_object(ContainerObject& object, std::u16string_view path, std::uint64_t now);

void store_container_link_update_option(ContainerObject& object, std::uint32_t option);

}  // namespace pathmender::ole
