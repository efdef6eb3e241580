// CreateLink and UpdateOptions on both layouts.
#include "test_support.h"

#include "platform/ole/class_ids.h"
#include "platform/ole/compound_file.h"
#include "platform/ole/ole_info_stream.h"

#include <gtest/gtest.h>

namespace pathmender::ole::testing {
namespace {

constexpr char16_t kUncPath[] = u"\\\\NewServer\\Share\\Folder\\file.xlsx";
constexpr std::size_t kCreatedTimeOffset = 6;
constexpr std::size_t kSavedTimeOffset = 14;

OleObject read_whole(const Bytes& bytes) {
    std::size_t consumed = 0;
    OleObject object = read_ole_object(bytes, consumed);
    EXPECT_EQ(consumed, bytes.size());
    return object;
}

const ContainerObject& container_of(const OleObject& object) { return std::get<ContainerObject>(object.layout); }

// The stored ANSI path without the NUL it must end with.
std::string ansi_path_of(const FileMoniker& file) {
    EXPECT_FALSE(file.ansi_path.empty());
    EXPECT_EQ(file.ansi_path.back(), 0);
    return std::string(file.ansi_path.begin(), file.ansi_path.end() - 1);
}

const FileMoniker& file_moniker_of(const Moniker& moniker) {
    const Moniker& file = moniker.kind == MonikerKind::composite ? moniker.parts.at(0) : moniker;
    EXPECT_EQ(file.kind, MonikerKind::file);
    return file.file;
}

class ContainerRelink : public ::testing::TestWithParam<const char*> {};

TEST_P(ContainerRelink, NewPathOnlyEverythingElseKept) {
    const Bytes original_bytes = read_corpus(GetParam());
    const OleObject original = read_whole(original_bytes);
    OleObject object = original;

    create_link(object, kUncPath, fixed_now());
    const Bytes saved = write_ole_object(object);
    const OleObject reread = read_whole(saved);

    EXPECT_EQ(ole_type(reread), kOleTypeLinked);
    EXPECT_EQ(source_doc(reread), kUncPath);
    EXPECT_EQ(update_options(reread), kUpdateAutomatic);

    // Header: new length and save time, creation time kept; the root carries the save time.
    EXPECT_EQ(load_u32(saved, 2), saved.size() - kContainerHeaderSize);
    EXPECT_EQ(load_u32(saved, kCreatedTimeOffset), load_u32(original_bytes, kCreatedTimeOffset));
    EXPECT_EQ(load_u32(saved, kCreatedTimeOffset + 4), load_u32(original_bytes, kCreatedTimeOffset + 4));
    const std::uint64_t saved_time = load_u32(saved, kSavedTimeOffset) |
                                     std::uint64_t{load_u32(saved, kSavedTimeOffset + 4)} << 32;
    EXPECT_EQ(saved_time, fixed_now_filetime());
    EXPECT_EQ(container_of(reread).storage.root.modified_time, fixed_now_filetime());

    const CompoundStorage& before = container_of(original).storage.root;
    const CompoundStorage& after = container_of(reread).storage.root;
    EXPECT_EQ(after.class_id, before.class_id);
    ASSERT_EQ(after.streams.size(), before.streams.size());
    for (const CompoundStream& stream : before.streams) {
        SCOPED_TRACE(stream.name);
        ASSERT_NE(after.find_stream(stream.name), nullptr);
        if (stream.name != kOleInfoStreamName) {
            EXPECT_EQ(after.find_stream(stream.name)->data, stream.data);
        }
    }

    const OleInfoStream& info = container_of(reread).info;
    EXPECT_EQ(info.tail, container_of(original).info.tail);
    EXPECT_FALSE(info.relative_source);
    const FileMoniker& file = file_moniker_of(*info.absolute_source);
    ASSERT_EQ(file.extensions.size(), 1u);  // the old file's shell-link block is gone
    EXPECT_EQ(file.extensions[0].key, kLongPathExtension);
    EXPECT_EQ(file.end_server, 11);  // "\\NewServer"
    EXPECT_EQ(file.reserved2, 0u);
    EXPECT_EQ(ansi_path_of(file), "\\\\NewServer\\Share\\Folder\\file.xlsx");
}

INSTANTIATE_TEST_SUITE_P(RealLinks, ContainerRelink, ::testing::Values(kLinkedExcel, kLinkedExcelIcon));

TEST(ContainerRelinkPaths, PathOutsideTheCodePageKeepsItsLongPathWhole) {
    OleObject object = read_whole(read_corpus(kLinkedExcel));
    const std::u16string path = u"\\\\srv\\Общий\\данные 😀.xlsx";

    create_link(object, path, fixed_now());
    const OleObject reread = read_whole(write_ole_object(object));

    EXPECT_EQ(source_doc(reread), path);
    const FileMoniker& file = file_moniker_of(*container_of(reread).info.absolute_source);
    EXPECT_EQ(ansi_path_of(file), "\\\\srv\\?????\\?????? ?.xlsx");
    EXPECT_EQ(file.end_server, 5);
}

TEST(ContainerRelinkPaths, LocalPathHasNoServerPart) {
    OleObject object = read_whole(read_corpus(kLinkedExcelIcon));
    create_link(object, u"D:\\Data\\book.xls", fixed_now());
    const OleObject reread = read_whole(write_ole_object(object));
    EXPECT_EQ(source_doc(reread), u"D:\\Data\\book.xls");
    EXPECT_EQ(file_moniker_of(*container_of(reread).info.absolute_source).end_server, 0xFFFF);
}

TEST(ContainerRelinkComposite, KeepsTheItemAndDropsReservedAndRelativeMonikers) {
    const Bytes real = read_corpus(kLinkedExcel);
    const Bytes item = item_moniker("Sheet1!R1C1:R5C3");
    const Bytes image = container_with_ole_stream(real, composite_link_ole_stream(container_of(read_whole(real)).info, item));
    OleObject object = read_whole(image);
    ASSERT_EQ(source_doc(object), u"C:\\Users\\JOSE CAMACHO\\Desktop\\Sofware_MisPRUEBAS\\MESES DE EMBARAZO.xls");
    ASSERT_EQ(update_options(object), kUpdateManual);

    create_link(object, kUncPath, fixed_now());
    const OleObject reread = read_whole(write_ole_object(object));

    const OleInfoStream& info = container_of(reread).info;
    EXPECT_FALSE(info.relative_source);
    ASSERT_EQ(info.absolute_source->kind, MonikerKind::composite);
    ASSERT_EQ(info.absolute_source->parts.size(), 2u);
    EXPECT_EQ(info.absolute_source->parts[1].stored, item);
    EXPECT_EQ(info.absolute_source->parts[1].item, "Sheet1!R1C1:R5C3");
    EXPECT_EQ(source_doc(reread), kUncPath);
    EXPECT_EQ(update_options(reread), kUpdateAutomatic);
}

// A re-linked object is not read back from the bytes it writes: what it holds must be exactly what
// those bytes read as, through every change an update run makes.
TEST(ContainerRelinkModel, HoldsWhatItsBytesReadAs) {
    auto expect_model_of_own_bytes = [](const OleObject& object) {
        const ContainerObject& container = container_of(object);
        std::size_t consumed = 0;
        const ContainerObject reread = read_container_object(container.image, consumed);
        EXPECT_EQ(consumed, container.image.size());
        EXPECT_EQ(reread.storage, container.storage);
        EXPECT_EQ(reread.info.link_update_option, container.info.link_update_option);
        EXPECT_EQ(reread.info.flags, container.info.flags);
        EXPECT_EQ(reread.is_link, container.is_link);
        EXPECT_EQ(write_ole_object(object), container.image);
    };
    for (const char* name : {kLinkedExcel, kLinkedExcelIcon}) {
        SCOPED_TRACE(name);
        OleObject object = read_whole(read_corpus(name));
        const std::int16_t stored = update_options(object);
        create_link(object, kUncPath, fixed_now());
        expect_model_of_own_bytes(object);
        EXPECT_EQ(source_doc(object), kUncPath);
        set_update_options(object, stored);
        expect_model_of_own_bytes(object);
        set_update_options(object, kUpdateManual);
        expect_model_of_own_bytes(object);
        create_link(object, u"\\\\Other\\Share\\again.xlsx", fixed_now());
        expect_model_of_own_bytes(object);
        EXPECT_EQ(source_doc(read_whole(write_ole_object(object))), u"\\\\Other\\Share\\again.xlsx");
    }
}

TEST(RelinkEmbedded, IsRefusedInBothLayouts) {
    for (const char* name : {kEmbeddedChart, kEquationOle1}) {
        SCOPED_TRACE(name);
        OleObject object = read_whole(read_corpus(name));
        const Bytes before = write_ole_object(object);
        EXPECT_EQ(load_error_of([&] { create_link(object, kUncPath); }), OleFailure::CannotLinkEmbedded);
        EXPECT_EQ(write_ole_object(object), before);
    }
}

// An OLE 1.0 link as a word processor writes it, with the equation sample's presentation.
Bytes ole1_link(std::uint32_t update_option) {
    const Bytes equation = read_corpus(kEquationOle1);
    std::size_t consumed = 0;
    const Ole1Object embedded = std::get<Ole1Object>(read_ole_object(equation, consumed).layout);

    const auto string = [](ByteWriter& out, std::string_view text) {
        out.u32(static_cast<std::uint32_t>(text.size() + 1));
        out.bytes(as_bytes(text));
        out.zeros(1);
    };
    ByteWriter out;
    out.u32(0x501);
    out.u32(1);
    string(out, "Excel.Sheet.8");
    string(out, "N:\\Reports\\Old.xls");
    string(out, "Sheet1!R1C1");
    string(out, "\\\\OldServer\\Reports");
    out.u32(0);
    out.u32(update_option);
    out.bytes(embedded.presentation);
    return out.take();
}

TEST(Ole1Relink, KeepsClassItemAndPresentation) {
    const Bytes bytes = ole1_link(2);
    OleObject object = read_whole(bytes);
    EXPECT_EQ(write_ole_object(object), bytes);
    EXPECT_EQ(source_doc(object), u"N:\\Reports\\Old.xls");
    const Ole1Object before = std::get<Ole1Object>(object.layout);

    create_link(object, u"\\\\NewServer\\Share\\Año.xls");
    const OleObject reread = read_whole(write_ole_object(object));
    const Ole1Object& after = std::get<Ole1Object>(reread.layout);

    EXPECT_EQ(source_doc(reread), u"\\\\NewServer\\Share\\Año.xls");
    EXPECT_TRUE(after.network_name.empty());
    EXPECT_EQ(after.class_name, before.class_name);
    EXPECT_EQ(after.item_name, before.item_name);
    EXPECT_EQ(after.presentation, before.presentation);
    EXPECT_EQ(after.ole_version, before.ole_version);
    EXPECT_EQ(update_options(reread), kUpdateAutomatic);
}

// The update run reads UpdateOptions, calls CreateLink, and writes the value back: the stored
// LinkUpdateOption must come out exactly as it was, whatever it was.
struct StoredOption {
    std::uint32_t stored;
    std::int16_t options;
};

std::uint32_t stored_option_after_update_run(const Bytes& bytes) {
    OleObject object = read_whole(bytes);
    const std::int16_t options = update_options(object);
    create_link(object, kUncPath, fixed_now());
    EXPECT_EQ(update_options(object), kUpdateAutomatic);
    set_update_options(object, options);
    const OleObject reread = read_whole(write_ole_object(object));
    EXPECT_EQ(update_options(reread), options);
    if (const auto* container = std::get_if<ContainerObject>(&reread.layout))
        return container->info.link_update_option;
    return std::get<Ole1Object>(reread.layout).link_update_option;
}

TEST(UpdateOptions, ContainerLinkKeepsItsStoredValueThroughAnUpdateRun) {
    const StoredOption rows[] = {{1, kUpdateAutomatic}, {3, kUpdateManual}, {0, kUpdateManual},
                                 {2, kUpdateManual}, {7, kUpdateManual}};
    const Bytes real = read_corpus(kLinkedExcel);
    Bytes ole_stream = ole_stream_of(read_whole(real));
    for (const StoredOption& row : rows) {
        SCOPED_TRACE(row.stored);
        store_link_update_option(ole_stream, row.stored);
        const Bytes image = container_with_ole_stream(real, ole_stream);
        EXPECT_EQ(update_options(read_whole(image)), row.options);
        EXPECT_EQ(stored_option_after_update_run(image), row.stored);
    }
}

TEST(UpdateOptions, Ole1LinkKeepsItsStoredValueThroughAnUpdateRun) {
    const StoredOption rows[] = {{0, kUpdateAutomatic}, {1, kUpdateFrozen}, {2, kUpdateManual}, {9, kUpdateManual}};
    for (const StoredOption& row : rows) {
        SCOPED_TRACE(row.stored);
        EXPECT_EQ(update_options(read_whole(ole1_link(row.stored))), row.options);
        EXPECT_EQ(stored_option_after_update_run(ole1_link(row.stored)), row.stored);
    }
}

TEST(UpdateOptions, ChangingThemIsSavedAndUnchangedObjectsStayByteIdentical) {
    const Bytes real = read_corpus(kLinkedExcel);
    OleObject object = read_whole(real);
    set_update_options(object, kUpdateAutomatic);
    EXPECT_EQ(write_ole_object(object), real);

    set_update_options(object, kUpdateManual);
    const OleObject reread = read_whole(write_ole_object(object));
    EXPECT_EQ(update_options(reread), kUpdateManual);
    EXPECT_EQ(container_of(reread).info.link_update_option, kLinkUpdateOnCall);
    EXPECT_EQ(source_doc(reread), source_doc(object));
}

TEST(UpdateOptions, ValuesOutsideTheEnumerationAreRefused) {
    OleObject object = read_whole(read_corpus(kLinkedExcel));
    for (std::int16_t invalid : {-1, 3, 100})
        EXPECT_EQ(load_error_of([&] { set_update_options(object, invalid); }), OleFailure::InvalidPropertyValue);
}

}  // namespace
}  // namespace pathmender::ole::testing
