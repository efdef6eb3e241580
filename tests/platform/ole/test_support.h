#pragma once

#include "platform/ole/byte_io.h"
#include "platform/ole/ole_info_stream.h"
#include "platform/ole/ole_object.h"
#include "support/files.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pathmender::ole::testing {

// Where the object starts inside a corpus file, and how long it is (the database header and
// trailer around some of them are not part of the object).
struct ObjectSpan {
    std::size_t offset = 0;
    std::size_t length = 0;
};
ObjectSpan object_span_in(const std::string& file_name, const Bytes& file);

// The failure `read` fails with, or nothing when it does not fail.
std::optional<OleFailure> load_error_of(const std::function<void()>& read);

// A container object image whose "\1Ole" stream is replaced by `ole_stream`.
Bytes container_with_ole_stream(const Bytes& image, const Bytes& ole_stream);
Bytes ole_stream_of(const OleObject& object);

Bytes item_moniker(const std::string& item);
// `real`'s "\1Ole" with its absolute moniker wrapped as a composite of it and `item`, and with a
// reserved and a relative moniker in front, as older containers wrote them.
Bytes composite_link_ole_stream(const OleInfoStream& real, const Bytes& item);

std::chrono::system_clock::time_point fixed_now();
std::uint64_t fixed_now_filetime();

}  // namespace pathmender::ole::testing
