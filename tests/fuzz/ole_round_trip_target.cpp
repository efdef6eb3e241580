// The OLE container's reader of both layouts: whatever it accepts, it saves back byte for byte,
// and reading what it saved gives the same object; the streams it reads never hold more than the
// compound file they came from. Anything it refuses, it refuses with 31037.
#include "fuzz_support.h"

#include <algorithm>
#include <variant>

namespace ole = pathmender::ole;

namespace {

std::size_t stream_bytes(const ole::CompoundStorage& storage) {
    std::size_t total = 0;
    for (const ole::CompoundStream& stream : storage.streams)
        total += stream.data.size();
    for (const ole::CompoundStorage& sub : storage.storages)
        total += stream_bytes(sub);
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ole::ByteView input(data, size);
    return with_accepted_object(input, [&](const ole::OleObject& object, std::size_t consumed) {
        FUZZ_CHECK(consumed > 0 && consumed <= size);
        if (const auto* container = std::get_if<ole::ContainerObject>(&object.layout))
            FUZZ_CHECK(stream_bytes(container->storage.root) <= consumed);

        const ole::Bytes saved = ole::write_ole_object(object);
        FUZZ_CHECK(std::ranges::equal(saved, input.first(consumed)));

        // What it tells about the object must not depend on having read it from the longer input.
        std::size_t consumed_again = 0;
        const ole::OleObject again = ole::read_ole_object(saved, consumed_again);
        FUZZ_CHECK(consumed_again == consumed);
        FUZZ_CHECK(ole::ole_type(again) == ole::ole_type(object));
        FUZZ_CHECK(ole::source_doc(again) == ole::source_doc(object));
        FUZZ_CHECK(ole::update_options(again) == ole::update_options(object));
        const std::int16_t options = ole::update_options(object);
        FUZZ_CHECK(options >= ole::kUpdateAutomatic && options <= ole::kUpdateManual);
    });
}
