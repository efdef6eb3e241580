#include "test_support.h"

#include "platform/ole/class_ids.h"
#include "platform/ole/compound_file.h"
#include "platform/ole/container_layout.h"
#include "platform/ole/desktop_database_header.h"
#include "platform/ole/moniker.h"
#include "platform/ole/ole_info_stream.h"


namespace pathmender::ole::testing {

ObjectSpan object_span_in(const std::string& file_name, const Bytes& file) {
    constexpr std::size_t kTrailerSize = 4;
    if (file_name.starts_with("access-headed-")) {
        const std::size_t header_size = desktop_database_header_length(file);
        return {header_size, file.size() - header_size - kTrailerSize};
    }
    return {0, file.size()};
}

std::optional<OleFailure> load_error_of(const std::function<void()>& read) {
    try {
        read();
    } catch (const OleError& error) {
        return error.failure();
    }
    return std::nullopt;
}

Bytes container_with_ole_stream(const Bytes& image, const Bytes& ole_stream) {
    CompoundFile storage = read_compound_file(ByteView(image).subspan(kContainerHeaderSize));
    storage.root.find_stream(kOleInfoStreamName)->data = ole_stream;
    const Bytes compound = write_compound_file(storage);
    Bytes result(image.begin(), image.begin() + kContainerHeaderSize);
    store_u32(result, 2, static_cast<std::uint32_t>(compound.size()));
    result.insert(result.end(), compound.begin(), compound.end());
    return result;
}

Bytes ole_stream_of(const OleObject& object) {
    return std::get<ContainerObject>(object.layout).storage.root.find_stream(kOleInfoStreamName)->data;
}

Bytes item_moniker(const std::string& item) {
    ByteWriter out;
    out.bytes(kItemMonikerClass);
    out.u32(2);
    out.bytes(as_bytes(std::string_view("!", 2)));
    out.u32(static_cast<std::uint32_t>(item.size() + 1));
    out.bytes(as_bytes(std::string_view(item.c_str(), item.size() + 1)));
    return out.take();
}

namespace {

void write_moniker_stream(ByteWriter& out, const Bytes& moniker) {
    out.u32(static_cast<std::uint32_t>(moniker.size() + 4));
    out.bytes(moniker);
}

}  // namespace

Bytes composite_link_ole_stream(const OleInfoStream& real, const Bytes& item) {
    ByteWriter composite;
    composite.bytes(kCompositeMonikerClass);
    composite.u32(2);
    composite.bytes(real.absolute_source->stored);
    composite.bytes(item);

    ByteWriter out;
    out.u32(real.version);
    out.u32(real.flags);
    out.u32(kLinkUpdateOnCall);
    out.u32(0);
    write_moniker_stream(out, file_moniker_for(u"C:\\reserved.xls"));
    write_moniker_stream(out, file_moniker_for(u"..\\relative.xls"));
    write_moniker_stream(out, composite.data());
    out.bytes(real.tail);
    return out.take();
}

std::chrono::system_clock::time_point fixed_now() {
    // 2024-03-01 12:34:56.789 UTC, with sub-millisecond noise the writer must drop.
    return std::chrono::system_clock::time_point(std::chrono::microseconds(1'709'296'496'789'456));
}

std::uint64_t fixed_now_filetime() {
    return (1'709'296'496'789ULL + 11'644'473'600'000ULL) * 10'000ULL;
}

}  // namespace pathmender::ole::testing
