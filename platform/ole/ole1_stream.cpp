#include "platform/ole/ole1_stream.h"

#include "platform/ole/ansi_codepage.h"
#include "platform/ole/ole_error.h"

namespace pathmender::ole {

namespace {

constexpr std::uint32_t kNoPresentation = 0;
constexpr std::uint32_t kPresentation = 5;
constexpr std::uint32_t kRegisteredClipboardFormat = 0;

Bytes read_string(ByteReader& reader) {
    const ByteView text = reader.take(reader.u32());
    if (!text.empty() && text.back() != 0)
        fail_loading("OLE 1.0 string without its NUL");
    return Bytes(text.begin(), text.end());
}

void write_string(ByteWriter& out, const Bytes& text) {
    out.u32(checked_u32_size(text.size()));
    out.bytes(text);
}

std::string_view text_of(const Bytes& stored) {
    if (stored.empty())
        return {};
    return {reinterpret_cast<const char*>(stored.data()), stored.size() - 1};
}

// The part after a presentation's class name (and all of a static picture after its own).
void skip_presentation_data(ByteReader& reader, std::string_view class_name) {
    if (class_name == "METAFILEPICT" || class_name == "BITMAP" || class_name == "DIB") {
        reader.i32();  // width
        reader.i32();  // height, stored negated
        reader.skip(reader.u32());
        return;
    }
    if (reader.u32() == kRegisteredClipboardFormat)
        reader.skip(reader.u32());  // the format's name
    reader.skip(reader.u32());
}

void skip_presentation(ByteReader& reader) {
    reader.u32();  // OLEVersion
    const std::uint32_t format = reader.u32();
    if (format == kNoPresentation)
        return;
    if (format != kPresentation)
        fail_loading("unknown OLE 1.0 presentation format");
    const Bytes class_name = read_string(reader);
    skip_presentation_data(reader, text_of(class_name));
}

// The bytes `reader` has walked since it stood at `start`.
Bytes walked_since(ByteView start, const ByteReader& reader) {
    const ByteView walked = start.first(start.size() - reader.remaining());
    return Bytes(walked.begin(), walked.end());
}

}  // namespace

Ole1Object read_ole1_object(ByteView bytes, std::size_t& consumed) {
    ByteReader reader(bytes);
    Ole1Object object;
    object.ole_version = reader.u32();
    const std::uint32_t format = reader.u32();
    if (format < 1 || format > 3)
        fail_loading("not an OLE 1.0 object");
    object.format = static_cast<Ole1Format>(format);
    object.class_name = read_string(reader);

    if (object.format == Ole1Format::static_picture) {
        const ByteView start = reader.rest();
        skip_presentation_data(reader, text_of(object.class_name));
        object.presentation = walked_since(start, reader);
    } else {
        object.topic_name = read_string(reader);
        object.item_name = read_string(reader);
        if (object.format == Ole1Format::linked) {
            object.network_name = read_string(reader);
            object.reserved = reader.u32();
            object.link_update_option = reader.u32();
        } else {
            const ByteView native = reader.take(reader.u32());
            object.native_data.assign(native.begin(), native.end());
        }
        const ByteView start = reader.rest();
        skip_presentation(reader);
        object.presentation = walked_since(start, reader);
    }
    consumed = reader.position();
    return object;
}

Bytes write_ole1_object(const Ole1Object& object) {
    ByteWriter out;
    out.u32(object.ole_version);
    out.u32(static_cast<std::uint32_t>(object.format));
    write_string(out, object.class_name);
    if (object.format != Ole1Format::static_picture) {
        write_string(out, object.topic_name);
        write_string(out, object.item_name);
        if (object.format == Ole1Format::linked) {
            write_string(out, object.network_name);
            out.u32(object.reserved);
            out.u32(object.link_update_option);
        } else {
            out.u32(checked_u32_size(object.native_data.size()));
            out.bytes(object.native_data);
        }
    }
    out.bytes(object.presentation);
    return out.take();
}

std::u16string ole1_source_path(const Ole1Object& object) {
    if (object.format != Ole1Format::linked)
        return {};
    return ansi_decode(as_bytes(text_of(object.topic_name)));
}

void relink_ole1_object(Ole1Object& object, std::u16string_view path) {
    if (object.format != Ole1Format::linked)
        throw OleError(OleFailure::CannotLinkEmbedded, "an embedded object cannot be re-linked");
    object.topic_name = ansi_encode(path);
    object.topic_name.push_back(0);
    object.network_name.clear();  // a UNC path names its share itself
    object.link_update_option = 0;
}

}  // namespace pathmender::ole
