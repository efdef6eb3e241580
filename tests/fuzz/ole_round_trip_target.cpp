// The OLE container's reader of both layouts: whatever it accepts, it saves back byte for byte,
// and reading what it saved gives the same object. Anything it refuses, it refuses as
// LoadingFromFile.
#include "fuzz_support.h"

#include <algorithm>

#include "ole_object.h"

namespace ole = pathmender::ole;

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ole::ByteView input(data, size);
    std::size_t consumed = 0;
    ole::OleObject object;
    try {
        object = ole::read_ole_object(input, consumed);
    } catch (const ole::OleError& e) {
        FUZZ_CHECK(e.failure() == ole::OleFailure::LoadingFromFile);
        return 0;
    }
    FUZZ_CHECK(consumed > 0 && consumed <= size);

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
    return 0;
}
