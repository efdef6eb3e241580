#include "platform/ole/moniker.h"

#include "platform/ole/ansi_codepage.h"
#include "platform/ole/class_ids.h"
#include "platform/ole/ole_error.h"

#include <algorithm>

namespace pathmender::ole {

namespace {

constexpr std::uint16_t kFileMonikerVersion = 0xDEAD;
constexpr std::size_t kClassIdSize = 16;
constexpr int kMaxCompositeNesting = 8;

ClassId read_class_id(ByteReader& reader) {
    ClassId id{};
    std::ranges::copy(reader.take(id.size()), id.begin());
    return id;
}

// The text of a NUL-terminated ANSI string stored in `bytes`, which may go on after the NUL.
std::string ansi_before_nul(ByteView bytes) {
    const auto nul = std::ranges::find(bytes, std::uint8_t{0});
    if (nul == bytes.end())
        fail_loading("moniker string without its NUL");
    return std::string(bytes.begin(), nul);
}

std::u16string utf16le(ByteView bytes) {
    if (bytes.size() % 2 != 0)
        fail_loading("UTF-16 text with an odd byte count");
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    return text;
}

std::u16string utf16le_before_nul(ByteView bytes) {
    std::u16string text = utf16le(bytes.first(bytes.size() & ~std::size_t{1}));
    const std::size_t nul = text.find(u'\0');
    if (nul == std::u16string::npos)
        fail_loading("moniker URL without its NUL");
    text.resize(nul);
    return text;
}

void write_utf16le(ByteWriter& out, std::u16string_view text) {
    for (char16_t ch : text)
        out.u16(ch);
}

FileMoniker parse_file_moniker(ByteReader& reader) {
    FileMoniker file;
    file.anti_count = reader.u16();
    const ByteView ansi_path = reader.take(reader.u32());
    file.ansi_path.assign(ansi_path.begin(), ansi_path.end());
    if (!file.ansi_path.empty())
        ansi_before_nul(file.ansi_path);  // proves its NUL is there
    file.end_server = reader.u16();
    reader.u16();  // version number
    reader.skip(16);
    file.reserved2 = reader.u32();
    ByteReader extensions = reader.sub_reader(reader.u32());
    while (!extensions.at_end()) {
        const std::uint32_t size = extensions.u32();
        FileMonikerExtension& extension = file.extensions.emplace_back();
        extension.key = extensions.u16();
        const ByteView data = extensions.take(size);
        extension.data.assign(data.begin(), data.end());
        if (extension.key == kLongPathExtension)
            utf16le(data);  // proves the long path whole before anyone relies on it
    }
    return file;
}

std::string parse_item_moniker(ByteReader& reader) {
    ansi_before_nul(reader.take(reader.u32()));  // delimiter, usually "!"
    const ByteView item = reader.take(reader.u32());
    return item.empty() ? std::string() : ansi_before_nul(item);
}

std::u16string parse_url_moniker(ByteReader& reader) {
    return utf16le_before_nul(reader.take(reader.u32()));
}

Moniker parse_moniker_at(ByteReader& stream, bool may_take_rest, int nesting) {
    const ByteView start = stream.rest();
    Moniker moniker;
    const ClassId id = read_class_id(stream);
    if (id == kFileMonikerClass) {
        moniker.kind = MonikerKind::file;
        moniker.file = parse_file_moniker(stream);
    } else if (id == kItemMonikerClass) {
        moniker.kind = MonikerKind::item;
        moniker.item = parse_item_moniker(stream);
    } else if (id == kUrlMonikerClass) {
        moniker.kind = MonikerKind::url;
        moniker.url = parse_url_moniker(stream);
    } else if (id == kCompositeMonikerClass) {
        if (nesting >= kMaxCompositeNesting)
            fail_loading("composite monikers nested too deeply");
        moniker.kind = MonikerKind::composite;
        const std::uint32_t count = stream.u32();
        if (count > stream.remaining() / kClassIdSize)
            fail_loading("composite moniker counts more monikers than it holds");
        for (std::uint32_t i = 0; i < count; ++i)
            moniker.parts.push_back(parse_moniker_at(stream, false, nesting + 1));
    } else {
        if (!may_take_rest)
            fail_loading("moniker of unknown class inside a composite");
        stream.skip(stream.remaining());
    }
    const ByteView stored = start.first(start.size() - stream.remaining());
    moniker.stored.assign(stored.begin(), stored.end());
    return moniker;
}

std::uint16_t server_part_length(ByteView ansi_path) {
    constexpr std::uint16_t kNotUnc = 0xFFFF;
    if (ansi_path.size() < 2 || ansi_path[0] != '\\' || ansi_path[1] != '\\')
        return kNotUnc;
    const auto share_start = std::find(ansi_path.begin() + 2, ansi_path.end(), std::uint8_t{'\\'});
    return static_cast<std::uint16_t>(std::min<std::ptrdiff_t>(share_start - ansi_path.begin(), kNotUnc - 1));
}

}  // namespace

std::u16string FileMoniker::long_path() const {
    for (const FileMonikerExtension& extension : extensions)
        if (extension.key == kLongPathExtension)
            return utf16le(extension.data);
    const auto nul = std::ranges::find(ansi_path, std::uint8_t{0});
    return ansi_decode(ByteView(ansi_path.begin(), nul));
}

Moniker parse_moniker(ByteReader& stream, bool may_take_rest) {
    return parse_moniker_at(stream, may_take_rest, 0);
}

std::u16string moniker_source_path(const Moniker& moniker) {
    switch (moniker.kind) {
    case MonikerKind::file:
        return moniker.file.long_path();
    case MonikerKind::url:
        return moniker.url;
    case MonikerKind::composite:
        for (const Moniker& part : moniker.parts)
            if (part.kind == MonikerKind::file || part.kind == MonikerKind::url)
                return moniker_source_path(part);
        return {};
    case MonikerKind::item:
    case MonikerKind::other:
        return {};
    }
    return {};
}

Bytes file_moniker_for(std::u16string_view path) {
    Bytes ansi_path = ansi_encode(path);
    const std::uint16_t end_server = server_part_length(ansi_path);
    ansi_path.push_back(0);
    const std::uint32_t long_path_size = checked_u32_size(path.size() * 2);

    ByteWriter out;
    out.bytes(kFileMonikerClass);
    out.u16(0);  // absolute path: no parent steps
    out.u32(checked_u32_size(ansi_path.size()));
    out.bytes(ansi_path);
    out.u16(end_server);
    out.u16(kFileMonikerVersion);
    out.zeros(16);
    out.u32(0);  // reserved2: 0 without a shell-link block
    out.u32(checked_u32_size(std::size_t{4} + 2 + long_path_size));
    out.u32(long_path_size);
    out.u16(kLongPathExtension);
    write_utf16le(out, path);
    return out.take();
}

Bytes relinked_moniker(const Moniker* old_moniker, std::u16string_view path) {
    std::vector<const Moniker*> items;
    if (old_moniker && old_moniker->kind == MonikerKind::composite)
        for (const Moniker& part : old_moniker->parts)
            if (part.kind == MonikerKind::item)
                items.push_back(&part);
    if (items.empty())
        return file_moniker_for(path);

    ByteWriter out;
    out.bytes(kCompositeMonikerClass);
    out.u32(checked_u32_size(items.size() + 1));
    out.bytes(file_moniker_for(path));
    for (const Moniker* item : items)
        out.bytes(item->stored);
    return out.take();
}

}  // namespace pathmender::ole
