// Bytes, and little-endian reads and writes over them that never leave the bytes they were given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace pathmender::ole {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Little-endian reads that never leave the bytes they were given: any read past the end fails
// as LoadingFromFile, so parsers need no bounds checks of their own.
class ByteReader {
public:
    explicit ByteReader(ByteView bytes) : bytes_(bytes) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint64_t u64();

    ByteView take(std::size_t count);
    void skip(std::size_t count) { take(count); }
    // A reader over the next `count` bytes; this reader moves past them.
    ByteReader sub_reader(std::size_t count) { return ByteReader(take(count)); }

    std::size_t position() const { return position_; }
    std::size_t remaining() const { return bytes_.size() - position_; }
    bool at_end() const { return remaining() == 0; }
    ByteView rest() const { return bytes_.subspan(position_); }

private:
    ByteView bytes_;
    std::size_t position_ = 0;
};

class ByteWriter {
public:
    void u16(std::uint16_t value);
    void u32(std::uint32_t value);
    void u64(std::uint64_t value);
    void bytes(ByteView data) { out_.insert(out_.end(), data.begin(), data.end()); }
    void zeros(std::size_t count) { out_.insert(out_.end(), count, 0); }

    std::size_t size() const { return out_.size(); }
    const Bytes& data() const { return out_; }
    Bytes take() { return std::move(out_); }

private:
    Bytes out_;
};

// Fixed-offset access into a whole buffer, for patching headers and directory entries.
std::uint16_t load_u16(ByteView bytes, std::size_t offset);
std::uint32_t load_u32(ByteView bytes, std::size_t offset);
void store_u32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value);
void store_u64(std::span<std::uint8_t> bytes, std::size_t offset, std::uint64_t value);

// Sizes fields that count more than a buffer can hold are a writer's bug, never the input's.
std::uint32_t checked_u32_size(std::size_t size);

inline ByteView as_bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace pathmender::ole
