#include "testkit/object_builder.h"

#include "platform/ole/ansi_codepage.h"
#include "platform/ole/class_ids.h"
#include "platform/ole/desktop_database_header.h"
#include "platform/ole/moniker.h"
#include "platform/ole/ole_error.h"

#include <random>

namespace pathmender::ole {

namespace {

constexpr std::uint32_t kOleStreamVersion = 0x02000001;
constexpr std::uint32_t kLinkedFlag = 1;
constexpr std::uint32_t kOle1Version = 0x501;
constexpr std::uint32_t kOle1Presentation = 5;
constexpr std::uint32_t kOle1NoPresentation = 0;
constexpr std::uint32_t kClipboardMetafilePicture = 3;  // CF_METAFILEPICT
constexpr std::uint32_t kContentAspect = 1;
constexpr std::uint32_t kNoTargetDevice = 4;  // the size field alone
constexpr std::uint32_t kTableOfContentsSignature = 0x494E414E;  // "NANI"
constexpr std::uint32_t kCompObjUnicodeMarker = 0x71B239F4;
constexpr std::uint8_t kTrailerTail[] = {0xAD, 0x05, 0xFE};
constexpr std::size_t kDesktopHeaderFixedSize = 20;

constexpr std::uint64_t kFiletimeTicksPerMillisecond = 10'000;
// 2016-03-01 00:00 UTC: demo objects look a few years old.
constexpr std::uint64_t kEarliestCreation = 131'012'640'000'000'000;
constexpr std::uint64_t kThreeYearsOfMilliseconds = 3ull * 365 * 24 * 3600 * 1000;

// Everything an object holds that is not given by its options comes from here, so one
// seed gives one object. mt19937_64's output is fixed by the standard, unlike the distributions.
class SeededBytes {
public:
    explicit SeededBytes(std::uint64_t seed) : engine_(seed) {}
    std::uint64_t next() { return engine_(); }
    std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(next() % bound); }
    Bytes bytes(std::size_t count) {
        Bytes out(count);
        for (std::size_t i = 0; i < count; i += 8) {
            std::uint64_t word = next();
            for (std::size_t j = i; j < count && j < i + 8; ++j, word >>= 8)
                out[j] = static_cast<std::uint8_t>(word);
        }
        return out;
    }

private:
    std::mt19937_64 engine_;
};

struct StorageTimes {
    std::uint64_t created = 0;
    std::uint64_t saved = 0;  // also the root's modified time, as the container writes it
};

StorageTimes times_from(SeededBytes& random) {
    StorageTimes times;
    times.created = kEarliestCreation + random.next() % kThreeYearsOfMilliseconds * kFiletimeTicksPerMillisecond;
    times.saved = times.created + (1 + random.below(90 * 24 * 3600)) * std::uint64_t{1000} * kFiletimeTicksPerMillisecond;
    return times;
}

void write_ansi_with_nul(ByteWriter& out, std::string_view text) {
    out.u32(checked_u32_size(text.size() + 1));
    out.bytes(as_bytes(text));
    out.zeros(1);
}

void write_unicode_with_nul(ByteWriter& out, std::string_view ansi_text) {
    const std::u16string text = ansi_decode(as_bytes(ansi_text));
    out.u32(checked_u32_size(text.size() + 1));
    for (char16_t ch : text)
        out.u16(ch);
    out.u16(0);
}

// A Windows metafile that draws one rectangle: header, window origin and extent, the
// rectangle, end of file.
Bytes small_metafile(SeededBytes& random, std::uint16_t width, std::uint16_t height) {
    constexpr std::uint16_t kHeaderWords = 9;
    constexpr std::uint32_t kTotalWords = kHeaderWords + 5 + 5 + 7 + 3;
    constexpr std::uint32_t kLargestRecordWords = 7;
    const auto inset = static_cast<std::uint16_t>(1 + random.below(width / 4 + 1));
    ByteWriter out;
    out.u16(1);  // memory metafile
    out.u16(kHeaderWords);
    out.u16(0x0300);
    out.u32(kTotalWords);
    out.u16(0);  // no objects
    out.u32(kLargestRecordWords);
    out.u16(0);
    out.u32(5), out.u16(0x020B), out.u16(0), out.u16(0);           // SETWINDOWORG
    out.u32(5), out.u16(0x020C), out.u16(height), out.u16(width);  // SETWINDOWEXT
    out.u32(7), out.u16(0x041B);                                   // RECTANGLE
    out.u16(static_cast<std::uint16_t>(height - inset)), out.u16(static_cast<std::uint16_t>(width - inset));
    out.u16(inset), out.u16(inset);
    out.u32(3), out.u16(0x0000);  // EOF
    return out.take();
}

// A 4 × 4 device-independent bitmap, 24 bits a pixel.
Bytes small_dib(SeededBytes& random) {
    constexpr std::int32_t kSide = 4;
    constexpr std::uint32_t kPixelBytes = kSide * kSide * 3;  // rows of 12 bytes need no padding
    ByteWriter out;
    out.u32(40);
    out.u32(kSide), out.u32(kSide);
    out.u16(1), out.u16(24);
    out.u32(0), out.u32(kPixelBytes);
    out.u32(2835), out.u32(2835);  // 72 dots an inch
    out.u32(0), out.u32(0);
    out.bytes(random.bytes(kPixelBytes));
    return out.take();
}

// The cached picture of a container object ("\2OlePres000"): a metafile for the content aspect
// and an empty table of contents.
Bytes presentation_stream(SeededBytes& random) {
    const auto width = static_cast<std::uint16_t>(1000 + random.below(9000));
    const auto height = static_cast<std::uint16_t>(500 + random.below(5000));
    const Bytes metafile = small_metafile(random, width, height);
    ByteWriter out;
    out.u32(0xFFFFFFFF), out.u32(kClipboardMetafilePicture);
    out.u32(kNoTargetDevice);
    out.u32(kContentAspect);
    out.u32(0xFFFFFFFF);  // lindex
    out.u32(0);           // advise flags
    out.u32(0);
    out.u32(width), out.u32(height);
    out.u32(checked_u32_size(metafile.size()));
    out.bytes(metafile);
    out.u32(kTableOfContentsSignature), out.u32(0);
    return out.take();
}

Bytes comp_obj_stream(const ClassId& server_class, std::string_view prog_id) {
    ByteWriter out;
    out.u32(0xFFFE0001), out.u32(0x00000A03), out.u32(0xFFFFFFFF);
    out.bytes(server_class);
    write_ansi_with_nul(out, prog_id);  // user type
    out.u32(0);                         // no clipboard format
    write_ansi_with_nul(out, prog_id);
    out.u32(kCompObjUnicodeMarker);
    write_unicode_with_nul(out, prog_id);
    out.u32(0);
    write_unicode_with_nul(out, prog_id);
    return out.take();
}

Bytes item_moniker(std::string_view item) {
    ByteWriter out;
    out.bytes(kItemMonikerClass);
    write_ansi_with_nul(out, "!");
    write_ansi_with_nul(out, item);
    return out.take();
}

Bytes source_moniker(const ContainerLinkOptions& options) {
    if (!options.item)
        return file_moniker_for(options.path);
    ByteWriter out;
    out.bytes(kCompositeMonikerClass);
    out.u32(2);
    out.bytes(file_moniker_for(options.path));
    out.bytes(item_moniker(*options.item));
    return out.take();
}

Bytes link_ole_stream(const ContainerLinkOptions& options, const StorageTimes& times) {
    const Bytes moniker = source_moniker(options);
    ByteWriter out;
    out.u32(kOleStreamVersion);
    out.u32(kLinkedFlag);
    out.u32(options.link_update_option);
    out.u32(0);  // Reserved1
    out.u32(0);  // no reserved moniker
    out.u32(0);  // no relative moniker
    out.u32(checked_u32_size(4 + moniker.size()));
    out.bytes(moniker);
    out.u32(0xFFFFFFFF);  // ClsidIndicator
    out.bytes(options.source_class);
    out.u32(0);  // empty reserved display name
    out.u32(0);  // Reserved2
    out.u64(times.saved), out.u64(times.saved), out.u64(times.created);
    return out.take();
}

Bytes embedded_ole_stream() {
    ByteWriter out;
    out.u32(kOleStreamVersion);
    out.zeros(16);  // Flags, LinkUpdateOption, Reserved1, no reserved moniker
    return out.take();
}

// The 24-byte header, then the compound file.
Bytes container_image(const CompoundFile& storage, const StorageTimes& times) {
    const Bytes compound = write_compound_file(storage);
    ByteWriter out;
    out.u16(24);
    out.u32(checked_u32_size(compound.size()));
    out.u64(times.created);
    out.u64(times.saved);
    out.u16(0);
    out.bytes(compound);
    return out.take();
}

void add_stream(CompoundFile& storage, const char* name, Bytes data) {
    storage.root.streams.push_back({name, std::move(data)});
}

Bytes ole1_presentation(Ole1Picture picture, SeededBytes& random) {
    ByteWriter out;
    out.u32(kOle1Version);
    if (picture == Ole1Picture::none) {
        out.u32(kOle1NoPresentation);
        return out.take();
    }
    out.u32(kOle1Presentation);
    const auto width = static_cast<std::uint16_t>(1000 + random.below(9000));
    const auto height = static_cast<std::uint16_t>(500 + random.below(5000));
    if (picture == Ole1Picture::metafile) {
        const Bytes metafile = small_metafile(random, width, height);
        write_ansi_with_nul(out, "METAFILEPICT");
        out.u32(width);
        out.u32(static_cast<std::uint32_t>(-static_cast<std::int32_t>(height)));
        out.u32(checked_u32_size(8 + metafile.size()));
        out.u16(8);  // MM_ANISOTROPIC
        out.u16(width), out.u16(height);
        out.u16(0);  // no handle
        out.bytes(metafile);
    } else {
        const Bytes dib = small_dib(random);
        write_ansi_with_nul(out, "DIB");
        out.u32(width), out.u32(height);
        out.u32(checked_u32_size(dib.size()));
        out.bytes(dib);
    }
    return out.take();
}

Bytes stored_string(std::string_view text) {
    if (text.empty())
        return {};
    Bytes stored(text.begin(), text.end());
    stored.push_back(0);
    return stored;
}

}  // namespace

Bytes build_container_link(const ContainerLinkOptions& options) {
    SeededBytes random(options.seed);
    const StorageTimes times = times_from(random);
    CompoundFile storage;
    storage.root.class_id = kStdOleLinkClass;
    storage.root.modified_time = times.saved;
    add_stream(storage, kOleInfoStreamName, link_ole_stream(options, times));
    add_stream(storage, "\2OlePres000", presentation_stream(random));
    if (options.with_comp_obj)
        add_stream(storage, "\1CompObj", comp_obj_stream(kStdOleLinkClass, "OLE Link"));
    return container_image(storage, times);
}

Bytes build_container_embedded(const ContainerEmbeddedOptions& options) {
    SeededBytes random(options.seed);
    const StorageTimes times = times_from(random);
    CompoundFile storage;
    storage.root.class_id = options.server_class;
    storage.root.modified_time = times.saved;
    add_stream(storage, kOleInfoStreamName, embedded_ole_stream());
    add_stream(storage, "\1CompObj", comp_obj_stream(options.server_class, options.prog_id));
    add_stream(storage, "\2OlePres000", presentation_stream(random));
    Bytes payload = random.bytes(options.payload_size);
    if (options.native_stream == NativeStream::ole10_native) {
        ByteWriter native;
        native.u32(checked_u32_size(payload.size()));
        native.bytes(payload);
        add_stream(storage, "\1Ole10Native", native.take());
    } else {
        add_stream(storage, "Contents", std::move(payload));
    }
    return container_image(storage, times);
}

Bytes build_ole1_link(const Ole1LinkOptions& options) {
    SeededBytes random(options.seed);
    Ole1Object object;
    object.ole_version = kOle1Version;
    object.format = Ole1Format::linked;
    object.class_name = stored_string(options.class_name);
    object.topic_name = ansi_encode(options.path);
    if (!object.topic_name.empty())
        object.topic_name.push_back(0);
    object.item_name = stored_string(options.item);
    object.link_update_option = options.link_update_option;
    object.presentation = ole1_presentation(options.picture, random);
    return write_ole1_object(object);
}

Bytes build_ole1_embedded(const Ole1EmbeddedOptions& options) {
    SeededBytes random(options.seed);
    Ole1Object object;
    object.ole_version = kOle1Version;
    object.format = Ole1Format::embedded;
    object.class_name = stored_string(options.class_name);
    object.native_data = random.bytes(options.native_size);
    object.presentation = ole1_presentation(options.picture, random);
    return write_ole1_object(object);
}

Bytes with_desktop_database_header(ByteView ole1_stream, std::string_view name, std::string_view class_name) {
    const std::size_t name_size = name.size() + 1;
    const std::size_t class_size = class_name.size() + 1;
    const std::size_t header_size = kDesktopHeaderFixedSize + name_size + class_size;
    if (header_size > 0xFFFF)
        throw OleError(OleFailure::SavingToFile, "error saving to file: desktop database header too long");
    ByteWriter out;
    out.u16(kDesktopDatabaseHeaderSignature);
    out.u16(static_cast<std::uint16_t>(header_size));
    out.u32(load_u32(ole1_stream, 4));  // the object type is the stream's FormatID
    out.u16(static_cast<std::uint16_t>(name_size));
    out.u16(static_cast<std::uint16_t>(class_size));
    out.u16(static_cast<std::uint16_t>(kDesktopHeaderFixedSize));
    out.u16(static_cast<std::uint16_t>(kDesktopHeaderFixedSize + name_size));
    out.u16(0xFFFF), out.u16(0xFFFF);
    out.bytes(as_bytes(name)), out.zeros(1);
    out.bytes(as_bytes(class_name)), out.zeros(1);
    out.bytes(ole1_stream);
    std::uint8_t check = 0;
    for (std::uint8_t byte : ole1_stream)
        check ^= byte;
    out.bytes(ByteView(&check, 1));
    out.bytes(kTrailerTail);
    return out.take();
}

}  // namespace pathmender::ole
