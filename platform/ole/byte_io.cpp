#include "platform/ole/byte_io.h"

#include "platform/ole/ole_error.h"

#include <limits>
#include <string>

namespace pathmender::ole {

namespace {

std::uint64_t load_le(ByteView bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = (value << 8) | bytes[i];
    return value;
}

void store_le(std::span<std::uint8_t> target, std::uint64_t value) {
    for (auto& byte : target) {
        byte = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

ByteView checked_range(ByteView bytes, std::size_t offset, std::size_t count) {
    if (offset > bytes.size() || count > bytes.size() - offset)
        fail_loading("field at offset " + std::to_string(offset) + " lies outside its data");
    return bytes.subspan(offset, count);
}

}  // namespace

ByteView ByteReader::take(std::size_t count) {
    ByteView taken = checked_range(bytes_, position_, count);
    position_ += count;
    return taken;
}

std::uint8_t ByteReader::u8() { return take(1)[0]; }
std::uint16_t ByteReader::u16() { return static_cast<std::uint16_t>(load_le(take(2))); }
std::uint32_t ByteReader::u32() { return static_cast<std::uint32_t>(load_le(take(4))); }
std::uint64_t ByteReader::u64() { return load_le(take(8)); }

void ByteWriter::u16(std::uint16_t value) {
    out_.resize(out_.size() + 2);
    store_le(std::span(out_).last(2), value);
}

void ByteWriter::u32(std::uint32_t value) {
    out_.resize(out_.size() + 4);
    store_le(std::span(out_).last(4), value);
}

void ByteWriter::u64(std::uint64_t value) {
    out_.resize(out_.size() + 8);
    store_le(std::span(out_).last(8), value);
}

std::uint16_t load_u16(ByteView bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(load_le(checked_range(bytes, offset, 2)));
}

std::uint32_t load_u32(ByteView bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(load_le(checked_range(bytes, offset, 4)));
}

void store_u32(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    checked_range(bytes, offset, 4);
    store_le(bytes.subspan(offset, 4), value);
}

void store_u64(std::span<std::uint8_t> bytes, std::size_t offset, std::uint64_t value) {
    checked_range(bytes, offset, 8);
    store_le(bytes.subspan(offset, 8), value);
}

std::uint32_t checked_u32_size(std::size_t size) {
    if (size > std::numeric_limits<std::uint32_t>::max())
        throw OleError(OleFailure::SavingToFile, "error saving to file: object too large");
    return static_cast<std::uint32_t>(size);
}

}  // namespace pathmender::ole
