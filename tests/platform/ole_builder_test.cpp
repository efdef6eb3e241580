// Objects made by the object builder: our reader takes each one back whole, saves it back to the
// same bytes, reports what the builder was asked for, and re-links it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/ole/ansi_codepage.h"
#include "platform/ole/class_ids.h"
#include "testkit/object_builder.h"
#include "platform/ole/ole_error.h"
#include "platform/ole/desktop_database_header.h"
#include "platform/ole/ole_object.h"

namespace pathmender::ole {
namespace {

struct BuiltCase {
    std::string name;
    std::function<Bytes()> build;
    int ole_type;
    std::u16string source_doc;
    bool headed = false;  // behind a desktop database header
};

std::vector<BuiltCase> built_cases() {
    return {
        {"container link",
         [] { return build_container_link({.path = u"\\\\OldServer\\Media\\Vendors\\a.pdf", .seed = 1}); },
         kOleTypeLinked, u"\\\\OldServer\\Media\\Vendors\\a.pdf"},
        {"container link on call, with CompObj",
         [] {
             return build_container_link({.path = u"\\\\OldServer\\Media\\b.docx",
                                          .link_update_option = kLinkUpdateOnCall,
                                          .with_comp_obj = true,
                                          .seed = 2});
         },
         kOleTypeLinked, u"\\\\OldServer\\Media\\b.docx"},
        {"container link to part of a file",
         [] {
             return build_container_link(
                 {.path = u"\\\\OldServer\\Media\\budget.xls", .item = "Sheet1!R1C1:R4C2", .seed = 3});
         },
         kOleTypeLinked, u"\\\\OldServer\\Media\\budget.xls"},
        {"container link to a local path outside the code page",
         [] { return build_container_link({.path = u"C:\\Daten\\M\u00FCller \u03A9.doc", .seed = 4}); },
         kOleTypeLinked, u"C:\\Daten\\M\u00FCller \u03A9.doc"},
        {"container embedded, Contents",
         [] { return build_container_embedded({.payload_size = 5000, .seed = 5}); }, kOleTypeEmbedded, u""},
        {"container embedded, Ole10Native",
         [] {
             return build_container_embedded({.server_class = kPaintPictureClass,
                                              .prog_id = "PBrush",
                                              .payload_size = 300,
                                              .native_stream = NativeStream::ole10_native,
                                              .seed = 6});
         },
         kOleTypeEmbedded, u""},
        {"container embedded, empty payload", [] { return build_container_embedded({.seed = 7}); },
         kOleTypeEmbedded, u""},
        {"OLE 1.0 link, metafile",
         [] { return build_ole1_link({.path = u"\\\\OldServer\\Media\\c.doc", .seed = 8}); }, kOleTypeLinked,
         u"\\\\OldServer\\Media\\c.doc"},
        {"OLE 1.0 link, DIB, item, on call",
         [] {
             return build_ole1_link({.path = u"\\\\OldServer\\Media\\d.doc",
                                     .item = "bookmark1",
                                     .link_update_option = 2,
                                     .picture = Ole1Picture::dib,
                                     .seed = 9});
         },
         kOleTypeLinked, u"\\\\OldServer\\Media\\d.doc"},
        {"OLE 1.0 embedded, no picture",
         [] { return build_ole1_embedded({.native_size = 777, .picture = Ole1Picture::none, .seed = 10}); },
         kOleTypeEmbedded, u""},
        {"headed OLE 1.0 link",
         [] {
             return with_desktop_database_header(
                 build_ole1_link({.path = u"\\\\OldServer\\Media\\M\u00FCller\\e.doc", .seed = 11}), "Document",
                 "Word.Document.8");
         },
         kOleTypeLinked, u"\\\\OldServer\\Media\\M\u00FCller\\e.doc", true},
        {"headed OLE 1.0 embedded",
         [] {
             return with_desktop_database_header(build_ole1_embedded({.native_size = 4096, .seed = 12}),
                                                 "Bitmap Image", "Paint.Picture");
         },
         kOleTypeEmbedded, u"", true},
    };
}

// The object inside a built record: after the header and before the trailer when headed.
ByteView object_part(const Bytes& built, bool headed) {
    if (!headed)
        return built;
    const std::size_t start = desktop_database_header_length(built);
    return ByteView(built).subspan(start, built.size() - start - 4);
}

// Each built object: the same bytes for the same seed, read back whole and saved to the same bytes,
// of the kind and link asked for; a link re-links, an embedded object refuses to.
TEST(ObjectBuilder, EveryObjectReadsBackWholeSavesTheSameBytesAndRelinksAsItsKindAllows) {
    const std::u16string new_path = u"\\\\NewServer\\Media\\Moved\\file.doc";
    for (const BuiltCase& c : built_cases()) {
        SCOPED_TRACE(c.name);
        const Bytes built = c.build();
        EXPECT_EQ(c.build(), built);
        const ByteView object_bytes = object_part(built, c.headed);
        std::size_t consumed = 0;
        OleObject object = read_ole_object(object_bytes, consumed);
        EXPECT_EQ(consumed, object_bytes.size());
        EXPECT_TRUE(std::ranges::equal(write_ole_object(object), object_bytes));
        EXPECT_EQ(ole_type(object), c.ole_type);
        EXPECT_EQ(source_doc(object), c.source_doc);

        if (c.ole_type != kOleTypeLinked) {
            try {
                create_link(object, new_path);
                ADD_FAILURE() << "re-linked an embedded object";
            } catch (const OleError& e) {
                EXPECT_EQ(e.failure(), OleFailure::CannotLinkEmbedded);
            }
            continue;
        }
        create_link(object, new_path);
        const Bytes saved = write_ole_object(object);
        const OleObject again = read_ole_object(saved, consumed);
        EXPECT_EQ(consumed, saved.size());
        EXPECT_EQ(source_doc(again), new_path);
        EXPECT_EQ(update_options(again), kUpdateAutomatic);
    }
    EXPECT_NE(build_container_link({.path = u"\\\\S\\x\\a.doc", .seed = 1}),
              build_container_link({.path = u"\\\\S\\x\\a.doc", .seed = 2}));
    EXPECT_NE(build_ole1_embedded({.native_size = 64, .seed = 1}), build_ole1_embedded({.native_size = 64, .seed = 2}));
}

const ContainerObject& container_of(const OleObject& object) { return std::get<ContainerObject>(object.layout); }

TEST(ObjectBuilder, ContainerLinkHoldsTheFieldsAsRealLinksDo) {
    const Bytes built = build_container_link(
        {.path = u"\\\\OldServer\\Media\\Clients\\s.xls", .link_update_option = kLinkUpdateOnCall, .seed = 21});
    std::size_t consumed = 0;
    const OleObject object = read_ole_object(built, consumed);
    const ContainerObject& container = container_of(object);

    EXPECT_EQ(load_u32(built, 2), built.size() - kContainerHeaderSize);
    EXPECT_EQ(load_u16(built, 22), 0);
    std::uint64_t saved_time = 0;
    for (int i = 7; i >= 0; --i) saved_time = saved_time << 8 | built[14 + i];
    EXPECT_EQ(container.storage.root.modified_time, saved_time);

    EXPECT_EQ(container.storage.root.class_id, kStdOleLinkClass);
    EXPECT_NE(container.storage.root.find_stream("\2OlePres000"), nullptr);
    EXPECT_EQ(container.storage.root.find_stream("\1CompObj"), nullptr);
    EXPECT_EQ(container.info.version, 0x02000001u);
    EXPECT_EQ(container.info.flags, 1u);
    EXPECT_EQ(container.info.link_update_option, kLinkUpdateOnCall);
    EXPECT_EQ(update_options(object), kUpdateManual);
    EXPECT_FALSE(container.info.relative_source);

    const Moniker& moniker = *container.info.absolute_source;
    ASSERT_EQ(moniker.kind, MonikerKind::file);
    const std::string ansi = "\\\\OldServer\\Media\\Clients\\s.xls";
    EXPECT_EQ(moniker.file.ansi_path, Bytes(ansi.c_str(), ansi.c_str() + ansi.size() + 1));
    EXPECT_EQ(std::size_t{moniker.file.end_server}, std::string("\\\\OldServer").size());
    EXPECT_EQ(moniker.file.reserved2, 0u);
    ASSERT_EQ(moniker.file.extensions.size(), 1u);
    EXPECT_EQ(moniker.file.extensions[0].key, kLongPathExtension);
}

TEST(ObjectBuilder, LocalPathHasNoServerPartAndKeepsItsTruePathInTheLongPathBlock) {
    const Bytes built = build_container_link({.path = u"C:\\M\u00FCller \u03A9.doc", .seed = 22});
    std::size_t consumed = 0;
    const OleObject object = read_ole_object(built, consumed);
    const Moniker& moniker = *container_of(object).info.absolute_source;
    EXPECT_EQ(moniker.file.end_server, 0xFFFF);
    EXPECT_EQ(ansi_decode(moniker.file.ansi_path), std::u16string(u"C:\\M\u00FCller ?.doc") + u'\0');
    EXPECT_EQ(moniker.file.long_path(), u"C:\\M\u00FCller \u03A9.doc");
}

TEST(ObjectBuilder, CompositeLinkKeepsItsItemThroughARelink) {
    std::size_t consumed = 0;
    OleObject object = read_ole_object(
        build_container_link({.path = u"\\\\OldServer\\Media\\budget.xls", .item = "Budget", .seed = 23}), consumed);
    create_link(object, u"\\\\NewServer\\Media\\Finance\\budget.xls");
    const Moniker& moniker = *container_of(object).info.absolute_source;
    ASSERT_EQ(moniker.kind, MonikerKind::composite);
    ASSERT_EQ(moniker.parts.size(), 2u);
    EXPECT_EQ(moniker.parts[0].kind, MonikerKind::file);
    EXPECT_EQ(moniker.parts[1].kind, MonikerKind::item);
    EXPECT_EQ(moniker.parts[1].item, "Budget");
}

TEST(ObjectBuilder, ContainerEmbeddedCarriesItsPayloadAndClass) {
    struct Case {
        NativeStream stream;
        const char* name;
        std::size_t payload;
        std::size_t stream_size;
    };
    for (const Case& c : {Case{NativeStream::contents, "Contents", 6000, 6000},
                          Case{NativeStream::ole10_native, "\1Ole10Native", 2144, 2148},
                          Case{NativeStream::contents, "Contents", 0, 0}}) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.payload));
        std::size_t consumed = 0;
        const OleObject object = read_ole_object(build_container_embedded({.server_class = kExcelSheet8Class,
                                                                           .prog_id = "Excel.Sheet.8",
                                                                           .payload_size = c.payload,
                                                                           .native_stream = c.stream,
                                                                           .seed = 24}),
                                                 consumed);
        const CompoundStorage& root = container_of(object).storage.root;
        EXPECT_EQ(root.class_id, kExcelSheet8Class);
        ASSERT_NE(root.find_stream(c.name), nullptr);
        EXPECT_EQ(root.find_stream(c.name)->data.size(), c.stream_size);
        if (c.stream == NativeStream::ole10_native) {
            EXPECT_EQ(load_u32(root.find_stream(c.name)->data, 0), c.payload);
        }
        ASSERT_NE(root.find_stream("\1Ole"), nullptr);
        EXPECT_EQ(root.find_stream("\1Ole")->data.size(), 20u);
        ASSERT_NE(root.find_stream("\1CompObj"), nullptr);
        const Bytes& comp_obj = root.find_stream("\1CompObj")->data;
        EXPECT_NE(std::search(comp_obj.begin(), comp_obj.end(), std::begin("Excel.Sheet.8"),
                              std::end("Excel.Sheet.8")),
                  comp_obj.end());
        EXPECT_NE(root.find_stream("\2OlePres000"), nullptr);
    }
}

const Ole1Object& ole1_of(const OleObject& object) { return std::get<Ole1Object>(object.layout); }

Bytes with_nul(std::string_view text) {
    Bytes out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

TEST(ObjectBuilder, Ole1LinkHoldsItsFields) {
    std::size_t consumed = 0;
    const OleObject object = read_ole_object(build_ole1_link({.class_name = "Excel.Sheet.8",
                                                              .path = u"\\\\OldServer\\Media\\f.xls",
                                                              .item = "R1C1",
                                                              .link_update_option = 2,
                                                              .seed = 31}),
                                             consumed);
    const Ole1Object& ole1 = ole1_of(object);
    EXPECT_EQ(ole1.ole_version, 0x501u);
    EXPECT_EQ(ole1.format, Ole1Format::linked);
    EXPECT_EQ(ole1.class_name, with_nul("Excel.Sheet.8"));
    EXPECT_EQ(ole1.topic_name, with_nul("\\\\OldServer\\Media\\f.xls"));
    EXPECT_EQ(ole1.item_name, with_nul("R1C1"));
    EXPECT_TRUE(ole1.network_name.empty());
    EXPECT_EQ(update_options(object), kUpdateManual);
}

TEST(ObjectBuilder, Ole1PresentationsAreOfTheKindAsked) {
    struct Case {
        Ole1Picture picture;
        std::uint32_t format;
        std::string class_name;
    };
    for (const Case& c : {Case{Ole1Picture::metafile, 5, "METAFILEPICT"}, Case{Ole1Picture::dib, 5, "DIB"},
                          Case{Ole1Picture::none, 0, ""}}) {
        SCOPED_TRACE(c.class_name);
        std::size_t consumed = 0;
        const OleObject object =
            read_ole_object(build_ole1_embedded({.native_size = 100, .picture = c.picture, .seed = 32}), consumed);
        const Ole1Object& ole1 = ole1_of(object);
        EXPECT_EQ(ole1.native_data.size(), 100u);
        EXPECT_EQ(load_u32(ole1.presentation, 4), c.format);
        if (c.format == 5) {
            EXPECT_EQ(load_u32(ole1.presentation, 8), c.class_name.size() + 1);
            EXPECT_TRUE(std::ranges::equal(ByteView(ole1.presentation).subspan(12, c.class_name.size()),
                                           as_bytes(c.class_name)));
        }
    }
}

TEST(ObjectBuilder, DesktopDatabaseHeaderAndTrailerAreLaidOutAsDatabasesWriteThem) {
    const Bytes stream = build_ole1_embedded({.native_size = 50, .seed = 41});
    const Bytes headed = with_desktop_database_header(stream, "Bitmap Image", "Paint.Picture");

    const std::size_t header = 20 + 13 + 14;  // as in the real Paintbrush records: H = 47
    ASSERT_EQ(headed.size(), header + stream.size() + 4);
    EXPECT_EQ(headed[0], 0x15);
    EXPECT_EQ(headed[1], 0x1C);
    EXPECT_EQ(std::size_t{load_u16(headed, 2)}, header);
    EXPECT_EQ(desktop_database_header_length(headed), header);
    EXPECT_EQ(load_u32(headed, 4), 2u);  // embedded
    EXPECT_EQ(load_u16(headed, 8), 13);
    EXPECT_EQ(load_u16(headed, 10), 14);
    EXPECT_EQ(load_u16(headed, 12), 20);
    EXPECT_EQ(load_u16(headed, 14), 33);
    EXPECT_EQ(load_u32(headed, 16), 0xFFFFFFFFu);
    EXPECT_TRUE(std::ranges::equal(ByteView(headed).subspan(20, 27), as_bytes(std::string_view("Bitmap Image\0Paint.Picture", 27))));
    EXPECT_TRUE(std::ranges::equal(ByteView(headed).subspan(header, stream.size()), stream));

    std::uint8_t check = 0;
    for (std::uint8_t byte : stream) check ^= byte;
    const ByteView trailer = ByteView(headed).last(4);
    EXPECT_EQ(trailer[0], check);
    EXPECT_EQ(trailer[1], 0xAD);
    EXPECT_EQ(trailer[2], 0x05);
    EXPECT_EQ(trailer[3], 0xFE);

    const Bytes linked = with_desktop_database_header(build_ole1_link({.path = u"\\\\S\\a.doc", .seed = 42}), "Document",
                                                      "Word.Document.8");
    EXPECT_EQ(load_u32(linked, 4), 1u);
}

}  // namespace
}  // namespace pathmender::ole
