// Re-linking what the reader accepted: a link re-linked to a path taken from the input is written,
// read back, and names exactly that path. Embedded objects refuse with 31027 and stay unchanged.
#include "fuzz_support.h"

#include <algorithm>
#include <chrono>
#include <string>

#include "platform/ole/ansi_codepage.h"
namespace ole = pathmender::ole;

namespace {

constexpr std::size_t kMaxNameBytes = 200;

// \\NewServer\Media\ and a file name from the input's last bytes: every character the ANSI code
// page holds but NUL, which no path can carry.
std::u16string path_from(ole::ByteView input) {
    const ole::ByteView tail = input.last(std::min(input.size(), kMaxNameBytes));
    std::u16string name = ole::ansi_decode(tail);
    std::replace(name.begin(), name.end(), u'\0', u'_');
    return u"\\\\NewServer\\Media\\" + name + u".doc";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ole::ByteView input(data, size);
    return with_accepted_object(input, [&](ole::OleObject& object, std::size_t) {
        const std::u16string path = path_from(input);
        const auto now = std::chrono::system_clock::time_point(std::chrono::milliseconds(1'700'000'000'123));
        if (ole::ole_type(object) != ole::kOleTypeLinked) {
            const ole::Bytes before = ole::write_ole_object(object);
            try {
                ole::create_link(object, path, now);
                fuzz_fail("an embedded object was re-linked");
            } catch (const ole::OleError& e) {
                FUZZ_CHECK(e.failure() == ole::OleFailure::CannotLinkEmbedded);
            }
            FUZZ_CHECK(ole::write_ole_object(object) == before);
            return;
        }

        ole::create_link(object, path, now);
        FUZZ_CHECK(ole::source_doc(object) == path);
        FUZZ_CHECK(ole::update_options(object) == ole::kUpdateAutomatic);

        const ole::Bytes saved = ole::write_ole_object(object);
        std::size_t consumed_again = 0;
        const ole::OleObject again = ole::read_ole_object(saved, consumed_again);
        FUZZ_CHECK(consumed_again == saved.size());
        FUZZ_CHECK(ole::ole_type(again) == ole::kOleTypeLinked);
        FUZZ_CHECK(ole::source_doc(again) == path);
        FUZZ_CHECK(ole::write_ole_object(again) == saved);
    });
}
