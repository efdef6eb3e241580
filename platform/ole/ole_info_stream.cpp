#include "platform/ole/ole_info_stream.h"

#include "platform/ole/ole_error.h"

namespace pathmender::ole {

namespace {

constexpr std::size_t kLinkUpdateOptionOffset = 8;
constexpr std::size_t kSizeFieldSize = 4;

// A moniker stream size counts its own four bytes; 0 means no moniker.
std::optional<ByteReader> moniker_stream(ByteReader& reader) {
    const std::uint32_t size = reader.u32();
    if (size == 0)
        return std::nullopt;
    if (size < kSizeFieldSize)
        fail_loading("moniker stream size smaller than its own field");
    return reader.sub_reader(size - kSizeFieldSize);
}

std::optional<Moniker> read_moniker_stream(ByteReader& reader) {
    std::optional<ByteReader> stream = moniker_stream(reader);
    if (!stream)
        return std::nullopt;
    return parse_moniker(*stream, true);
}

// Checks the fields after the monikers; they are copied, never changed.
void check_tail(ByteView tail) {
    ByteReader reader(tail);
    reader.u32();  // ClsidIndicator
    reader.skip(16);  // last known class of the source
    reader.skip(std::size_t{2} * reader.u32());  // reserved display name
    reader.u32();  // Reserved2
    reader.skip(3 * 8);  // update times
}

}  // namespace

const Moniker* OleInfoStream::source_moniker() const {
    if (absolute_source)
        return &*absolute_source;
    return relative_source ? &*relative_source : nullptr;
}

OleInfoStream parse_ole_info_stream(ByteView stream) {
    ByteReader reader(stream);
    OleInfoStream info;
    info.version = reader.u32();
    info.flags = reader.u32();
    info.link_update_option = reader.u32();
    info.reserved1 = reader.u32();
    moniker_stream(reader);  // reserved moniker: bounds only, it is never used
    if (!info.has_link_flag())
        return info;
    info.relative_source = read_moniker_stream(reader);
    info.absolute_source = read_moniker_stream(reader);
    check_tail(reader.rest());
    info.tail.assign(reader.rest().begin(), reader.rest().end());
    return info;
}

Bytes relinked_ole_info_stream(const OleInfoStream& info, std::u16string_view path) {
    const Bytes moniker = relinked_moniker(info.source_moniker(), path);
    ByteWriter out;
    out.u32(info.version);
    out.u32(info.flags);
    out.u32(kLinkUpdateAlways);
    out.u32(info.reserved1);
    out.u32(0);  // reserved moniker
    out.u32(0);  // relative moniker: a stale one would win over the new path
    out.u32(checked_u32_size(kSizeFieldSize + moniker.size()));
    out.bytes(moniker);
    out.bytes(info.tail);
    return out.take();
}

void store_link_update_option(Bytes& stream, std::uint32_t option) {
    store_u32(stream, kLinkUpdateOptionOffset, option);
}

}  // namespace pathmender::ole
