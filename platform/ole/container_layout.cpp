#include "platform/ole/container_layout.h"

#include "platform/ole/class_ids.h"
#include "platform/ole/ole_error.h"

#include <algorithm>
#include <optional>

namespace pathmender::ole {

namespace {

constexpr std::size_t kLengthOffset = 2;
constexpr std::size_t kSavedTimeOffset = 14;

Bytes with_header_of(const ContainerObject& object, const Bytes& compound, std::optional<std::uint64_t> saved_time) {
    Bytes image(object.image.begin(), object.image.begin() + kContainerHeaderSize);
    store_u32(image, kLengthOffset, checked_u32_size(compound.size()));
    if (saved_time)
        store_u64(image, kSavedTimeOffset, *saved_time);
    image.insert(image.end(), compound.begin(), compound.end());
    return image;
}

CompoundStream& ole_info_stream_of(CompoundFile& storage) {
    CompoundStream* stream = storage.root.find_stream(kOleInfoStreamName);
    if (!stream)
        throw OleError(OleFailure::SavingToFile, "error saving to file: object has no \\1Ole stream");
    return *stream;
}

// Writes `storage` as the object's new compound file. The writer keeps everything the reader
// gives, so the object goes on describing exactly the bytes it will save without reading them
// back (the tests hold the two to each other).
void replace_storage(ContainerObject& object, CompoundFile storage, std::optional<std::uint64_t> saved_time) {
    Bytes image = with_header_of(object, write_compound_file(storage), saved_time);
    OleInfoStream info = parse_ole_info_stream(ole_info_stream_of(storage).data);
    object.image = std::move(image);
    object.storage = std::move(storage);
    object.info = std::move(info);
}

}  // namespace

bool starts_container_object(ByteView bytes) {
    return bytes.size() >= kContainerHeaderSize + kCompoundFileSignature.size() &&
           load_u16(bytes, 0) == kContainerHeaderSize &&
           std::ranges::equal(bytes.subspan(kContainerHeaderSize, kCompoundFileSignature.size()),
                              kCompoundFileSignature);
}

ContainerObject read_container_object(ByteView bytes, std::size_t& consumed) {
    ByteReader reader(bytes);
    if (reader.u16() != kContainerHeaderSize)
        fail_loading("container header of unexpected size");
    const std::uint32_t compound_size = reader.u32();
    reader.skip(kContainerHeaderSize - 6);  // two FILETIMEs and a reserved 0, kept as read
    const ByteView compound = reader.take(compound_size);

    ContainerObject object;
    object.storage = read_compound_file(compound);
    if (const CompoundStream* stream = object.storage.root.find_stream(kOleInfoStreamName))
        object.info = parse_ole_info_stream(stream->data);
    object.is_link = object.storage.root.class_id == kStdOleLinkClass && object.info.has_link_flag();
    if (object.is_link && !object.info.source_moniker())
        fail_loading("link without a source moniker");
    object.image.assign(bytes.begin(), bytes.begin() + reader.position());
    consumed = reader.position();
    return object;
}

void relink_container_object(ContainerObject& object, std::u16string_view path, std::uint64_t now) {
    if (!object.is_link)
        throw OleError(OleFailure::CannotLinkEmbedded, "an embedded object cannot be re-linked");
    CompoundFile storage = object.storage;
    ole_info_stream_of(storage).data = relinked_ole_info_stream(object.info, path);
    storage.root.modified_time = now;
    replace_storage(object, std::move(storage), now);
}

void store_container_link_update_option(ContainerObject& object, std::uint32_t option) {
    if (object.info.link_update_option == option)
        return;
    CompoundFile storage = object.storage;
    store_link_update_option(ole_info_stream_of(storage).data, option);
    replace_storage(object, std::move(storage), std::nullopt);
}

}  // namespace pathmender::ole
