// OLE 1.0 streams: read, written back, and re-linked.
#pragma once

#include "platform/ole/byte_io.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pathmender::ole {

enum class Ole1Format : std::uint32_t { linked = 1, embedded = 2, static_picture = 3 };

// An OLE 1.0 stream. Length-prefixed strings are kept as stored: empty means length 0 with no
// bytes, anything else ends with its NUL, so writing gives back the bytes read.
struct Ole1Object {
    std::uint32_t ole_version = 0x501;
    Ole1Format format = Ole1Format::embedded;
    Bytes class_name;
    Bytes topic_name;    // linked and embedded
    Bytes item_name;     // linked and embedded
    Bytes network_name;  // linked
    std::uint32_t reserved = 0;            // linked
    std::uint32_t link_update_option = 0;  // linked: 0 always, 1 on save, 2 on call
    Bytes native_data;   // embedded
    Bytes presentation;  // as stored; for a static picture, everything after ClassName
};

// Walks one stream field by field from the start of `bytes`; the object ends right after its
// presentation, so `consumed` excludes anything that follows (such as a database trailer).
Ole1Object read_ole1_object(ByteView bytes, std::size_t& consumed);
Bytes write_ole1_object(const Ole1Object& object);

std::u16string ole1_source_path(const Ole1Object& object);
void relink_ole1_object(Ole1Object& object, std::u16string_view path);

}  // namespace pathmender::ole
