// The "\1Ole" stream of a stored object: its information, and for a link its monikers.
#pragma once

#include "platform/ole/byte_io.h"
#include "platform/ole/moniker.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace pathmender::ole {

inline constexpr char kOleInfoStreamName[] = "\1Ole";
inline constexpr std::uint32_t kLinkUpdateAlways = 1;
inline constexpr std::uint32_t kLinkUpdateOnCall = 3;

// The "\1Ole" stream: object information, and for a link its monikers.
struct OleInfoStream {
    std::uint32_t version = 0;
    std::uint32_t flags = 0;
    std::uint32_t link_update_option = 0;
    std::uint32_t reserved1 = 0;
    std::optional<Moniker> relative_source;  // links only
    std::optional<Moniker> absolute_source;  // links only
    Bytes tail;                              // links only: ClsidIndicator onwards, as read

    bool has_link_flag() const { return (flags & 1) != 0; }
    // A relative moniker wins over the absolute one for the platform, but names its file only
    // relative to a container document we do not know; the absolute one names it whole.
    const Moniker* source_moniker() const;
};

OleInfoStream parse_ole_info_stream(ByteView stream);

// The stream after re-linking to `path`: reserved and relative monikers dropped, a new absolute
// moniker, LinkUpdateOption "always", everything else copied.
Bytes relinked_ole_info_stream(const OleInfoStream& info, std::u16string_view path);

void store_link_update_option(Bytes& stream, std::uint32_t option);

}  // namespace pathmender::ole
