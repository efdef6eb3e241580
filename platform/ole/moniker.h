// Monikers as stored in a link's "\1Ole" stream: read, the path they name, and new ones to re-link.
#pragma once

#include "platform/ole/byte_io.h"
#include "platform/ole/compound_file.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pathmender::ole {

enum class MonikerKind { file, item, composite, url, other };

// One (byte count, key, bytes) block after a file moniker's fixed fields.
struct FileMonikerExtension {
    std::uint16_t key = 0;
    Bytes data;
};

inline constexpr std::uint16_t kLongPathExtension = 3;  // the long path, UTF-16LE without NUL
inline constexpr std::uint16_t kShellLinkExtension = 5;  // tracking data of the old source file

struct FileMoniker {
    std::uint16_t anti_count = 0;
    Bytes ansi_path;  // as stored, with its NUL
    std::uint16_t end_server = 0xFFFF;
    std::uint32_t reserved2 = 0;
    std::vector<FileMonikerExtension> extensions;

    std::u16string long_path() const;
};

// A moniker as stored (class id + data) and what the container reads from it.
struct Moniker {
    MonikerKind kind = MonikerKind::other;
    Bytes stored;                  // class id and data, exactly as read
    FileMoniker file;              // kind == file
    std::string item;              // kind == item: the ANSI item, without NUL
    std::u16string url;            // kind == url
    std::vector<Moniker> parts;    // kind == composite
};

// Reads one moniker from the start of `stream`. A moniker of unknown class takes the rest of the
// stream, which only a top-level moniker may do: inside a composite its end would be unknown.
Moniker parse_moniker(ByteReader& stream, bool may_take_rest);

// The path a link's moniker names: a file moniker's long path, the file part of a composite, a
// URL; empty when it names none.
std::u16string moniker_source_path(const Moniker& moniker);

Bytes file_moniker_for(std::u16string_view path);

// The moniker for re-linking to `path`: a new file moniker, followed by the item monikers of the
// old one when that was a composite, so the link keeps the part of the file it pointed at.
Bytes relinked_moniker(const Moniker* old_moniker, std::u16string_view path);

}  // namespace pathmender::ole
