#pragma once

// Makes stored objects of our own, in both layouts and behind the desktop database header, for
// demos, end-to-end tests and benchmark data. Each object is written straight from its fields,
// never parsed back, and everything in it (times, pictures, payloads) follows from its seed, so
// the same options always give the same bytes.

#include "platform/ole/byte_io.h"
#include "platform/ole/compound_file.h"
#include "platform/ole/ole1_stream.h"
#include "platform/ole/ole_info_stream.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace pathmender::ole {

// Class ids of servers, as stored.
inline constexpr ClassId kWordDocument8Class = {0x06, 0x09, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr ClassId kExcelSheet8Class = {0x20, 0x08, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
inline constexpr ClassId kPaintPictureClass = {0x0A, 0x00, 0x03, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};

// ---- A. the container layout ----

struct ContainerLinkOptions {
    std::u16string path = {};                           // the source file; its long path goes in the key-3 block
    std::uint32_t link_update_option = kLinkUpdateAlways;  // 1 always or 3 on call
    std::optional<std::string> item = std::nullopt;     // set: a composite of the file and this item
    ClassId source_class = kWordDocument8Class;         // the last known class of the source file
    bool with_comp_obj = false;                         // real links carry none; some writers add one
    std::uint64_t seed = 0;
};

enum class NativeStream { contents, ole10_native };

struct ContainerEmbeddedOptions {
    ClassId server_class = kWordDocument8Class;
    std::string prog_id = "Word.Document.8";  // ANSI; also the user type and the clipboard format
    std::size_t payload_size = 0;             // bytes of the server's data
    // `Contents` holds exactly the payload; `\1Ole10Native` a 32-bit size and then the payload.
    NativeStream native_stream = NativeStream::contents;
    std::uint64_t seed = 0;
};

Bytes build_container_link(const ContainerLinkOptions& options);
Bytes build_container_embedded(const ContainerEmbeddedOptions& options);

// ---- B. the OLE 1.0 stream ----

enum class Ole1Picture { none, metafile, dib };

struct Ole1LinkOptions {
    std::string class_name = "Word.Document.8";  // ANSI
    std::u16string path = {};                    // TopicName, in the ANSI code page
    std::string item = {};                       // ItemName, usually empty
    std::uint32_t link_update_option = 0;        // 0 always, 1 on save, 2 on call
    Ole1Picture picture = Ole1Picture::metafile;
    std::uint64_t seed = 0;
};

struct Ole1EmbeddedOptions {
    std::string class_name = "PBrush";  // ANSI
    std::size_t native_size = 0;
    Ole1Picture picture = Ole1Picture::metafile;
    std::uint64_t seed = 0;
};

Bytes build_ole1_link(const Ole1LinkOptions& options);
Bytes build_ole1_embedded(const Ole1EmbeddedOptions& options);

// ---- C. the desktop database header and trailer ----

// `ole1_stream` behind the header (its object type taken from the stream's FormatID) and followed
// by the trailer: the XOR of the stream's bytes, then AD 05 FE. Names are ANSI, without NULs.
Bytes with_desktop_database_header(ByteView ole1_stream, std::string_view name, std::string_view class_name);

}  // namespace pathmender::ole
