// A stored OLE object as the container reads, re-links and saves it.
#pragma once

#include "platform/ole/byte_io.h"
#include "platform/ole/container_layout.h"
#include "platform/ole/ole1_stream.h"
#include "platform/ole/ole_error.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace pathmender::ole {

struct OleObject {
    // Saved back in the layout it was read in.
    std::variant<ContainerObject, Ole1Object> layout;
    // LinkUpdateOption as first read, so the update options read before a re-link and written
    // back after it restore exactly this value.
    std::uint32_t link_update_option_as_read = 0;
};

inline constexpr int kOleTypeLinked = 0;
inline constexpr int kOleTypeEmbedded = 1;  // embedded or static

inline constexpr std::int16_t kUpdateAutomatic = 0;
inline constexpr std::int16_t kUpdateFrozen = 1;
inline constexpr std::int16_t kUpdateManual = 2;

// Reads exactly one object at the start of `bytes` and reports how many bytes it took. Anything
// that is not one whole valid object fails as LoadingFromFile.
OleObject read_ole_object(ByteView bytes, std::size_t& consumed);

// An object read and not changed gives back exactly the bytes it was read from.
Bytes write_ole_object(const OleObject& object);

int ole_type(const OleObject& object);

// A link's source path; empty for embedded and static objects.
std::u16string source_doc(const OleObject& object);

std::int16_t update_options(const OleObject& object);
// Fails as InvalidPropertyValue outside 0..2. Objects that are not links keep no update option.
void set_update_options(OleObject& object, std::int16_t options);

// Re-links a link to `path` and resets its update option to automatic; `now` stamps a re-written
// compound file (whole milliseconds are kept). Embedded objects fail as CannotLinkEmbedded.
void create_link(OleObject& object, std::u16string_view path,
                 std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}  // namespace pathmender::ole
