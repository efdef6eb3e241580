#include "media/CMediaObjectHandler.h"

#include <gtest/gtest.h>

#include "com/utf.h"
#include "media/support/handler_fixture.h"
#include "media/support/test_ole_container.h"
#include "platform/ole/ansi_codepage.h"
#include "support/com_checks.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern_bytes(std::size_t count, std::uint8_t seed = 0) {
    Bytes out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = std::uint8_t((i * 7 + seed) % 251);
    if (!out.empty()) out[0] = 0x18;  // never the header signature
    return out;
}

// A header of length header_length (at least 4 bytes are written: signature and length), then image.
Bytes headed(unsigned header_length, const Bytes& image) {
    Bytes out = {0x15, 0x1C, std::uint8_t(header_length & 0xFF), std::uint8_t(header_length >> 8)};
    while (out.size() < header_length) out.push_back(std::uint8_t(0xA0 + out.size() % 16));
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

std::u16string as_text(const Bytes& bytes) { return pathmender::ole::ansi_decode(bytes); }

class MediaObjectHandlerTest : public HandlerFixture {
protected:
    void load(const Bytes& data) { handler.LoadObject(container.get(), as_text(data)); }
    void expect_no_temp_file() const { EXPECT_EQ(temp_files(), std::vector<fs::path>{}); }

    ComPtr<TestOleContainer> container = make_com<TestOleContainer>();
};

TEST_F(MediaObjectHandlerTest, LoadPassesThePlainImageToTheContainer) {
    struct Case {
        const char* name;
        Bytes data;
        Bytes image;
    };
    const Bytes image = pattern_bytes(300);
    const Case cases[] = {
        {"plain", image, image},
        {"first byte of the signature only", Bytes{0x15, 0x1D, 4, 0, 9}, Bytes{0x15, 0x1D, 4, 0, 9}},
        {"second byte of the signature only", Bytes{0x14, 0x1C, 4, 0, 9}, Bytes{0x14, 0x1C, 4, 0, 9}},
        {"two bytes, plain", Bytes{0x00, 0xFF}, Bytes{0x00, 0xFF}},
        {"headed, 20-byte header", headed(20, image), image},
        {"headed, 47-byte header", headed(47, image), image},
        {"headed, header of its fixed fields only", headed(4, image), image},
        {"headed, header length above 255", headed(300, image), image},
        {"headed, nothing after the header", headed(20, {}), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        container->held.clear();
        load(c.data);
        EXPECT_EQ(container->held, c.image);
        EXPECT_EQ(container->read_position, 0);
        expect_no_temp_file();
    }
}

TEST_F(MediaObjectHandlerTest, EveryTransferUsesAndReleasesItsOwnServicesAndFile) {
    use_known_names();
    LONG session_id = 0;
    ASSERT_EQ(session->get_SessionID(&session_id), S_OK);
    load(pattern_bytes(10));
    const int created_by_first = services->log().created;
    EXPECT_EQ(services->log().last_extension, u".OLE");
    EXPECT_EQ(services->log().last_number, session_id);
    const std::u16string first_path = container->read_path;
    handler.FlattenObject(container.get());
    load(pattern_bytes(10));
    EXPECT_GT(services->log().created, created_by_first);
    EXPECT_EQ(services->log().alive, 0);
    EXPECT_NE(container->read_path, first_path);
    expect_no_temp_file();
}

// The data refused before the container sees it, and what the container raises, reach the caller
// with the handler's text for the number (or none) and leave no file behind.
TEST_F(MediaObjectHandlerTest, AFailedLoadRaisesTheHandlersErrorAndLeavesNoFile) {
    const Bytes image = pattern_bytes(40);
    auto header_length = [&](std::size_t length) {
        Bytes data = headed(4, image);
        data[2] = std::uint8_t(length & 0xFF);
        data[3] = std::uint8_t(length >> 8);
        return as_text(data);
    };
    std::u16string outside_the_code_page = as_text(pattern_bytes(3 * 10256));
    outside_the_code_page[2 * 10256 + 5] = u'\u4E00';
    const std::u16string invalid = u"Invalid data found";
    struct Case {
        const char* name;
        std::u16string data;
        LONG container_fails_with;
        LONG number;
        std::u16string description;
    };
    const Case cases[] = {
        {"empty", u"", 0, 5, u""},
        {"one byte", u"A", 0, 5, u""},
        {"the signature only", as_text({0x15, 0x1C}), 0, 5, u""},
        {"the signature and half a length", as_text({0x15, 0x1C, 0x14}), 0, 5, u""},
        {"header length 0", header_length(0), 0, error_number(RuntimeError::OleLoadFromFile), invalid},
        {"header length 3", header_length(3), 0, error_number(RuntimeError::OleLoadFromFile), invalid},
        {"header length one beyond the data", header_length(image.size() + 5), 0, error_number(RuntimeError::OleLoadFromFile), invalid},
        {"header length 0xFFFF", header_length(0xFFFF), 0, error_number(RuntimeError::OleLoadFromFile), invalid},
        {"a character outside the code page", outside_the_code_page, 0, 5, u""},
        {"the container finds no object", as_text(image), error_number(RuntimeError::OleLoadFromFile), error_number(RuntimeError::OleLoadFromFile), invalid},
        {"the container runs out of memory", as_text(image), error_number(RuntimeError::OleOutOfMemory), error_number(RuntimeError::OleOutOfMemory), u"Out of Memory"},
        {"the container fails otherwise", as_text(image), 61, 61, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        container->read_calls = 0;
        container->fail_read_with = c.container_fails_with;
        auto error = error_of([&] { handler.LoadObject(container.get(), c.data); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number, c.number);
        EXPECT_EQ(error->description, c.description);
        EXPECT_EQ(error->source, u"");
        EXPECT_EQ(container->read_calls, c.container_fails_with ? 1 : 0);
        expect_no_temp_file();
    }
}

TEST_F(MediaObjectHandlerTest, LargeDataIsWrittenWholeAcrossPieces) {
    for (std::size_t size : {10255u, 10256u, 10257u, 2u * 10256u, 3u * 10256u + 17u}) {
        SCOPED_TRACE(size);
        const Bytes image = pattern_bytes(size, std::uint8_t(size));
        load(image);
        EXPECT_EQ(container->held, image);
        load(headed(47, image));
        EXPECT_EQ(container->held, image);
    }
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, EveryByteValueSurvivesLoadAndFlatten) {
    Bytes image(256);
    for (int i = 0; i < 256; ++i) image[std::size_t(i)] = std::uint8_t(i);
    load(image);
    EXPECT_EQ(container->held, image);
    EXPECT_EQ(handler.FlattenObject(container.get()), as_text(image));
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, FlattenedTextLoadsTheSameObjectIntoAnotherContainer) {
    const Bytes image = pattern_bytes(5000);
    load(headed(29, image));
    const std::u16string flattened = handler.FlattenObject(container.get());
    EXPECT_EQ(flattened, as_text(image));

    auto second = make_com<TestOleContainer>();
    CMediaObjectHandler other;
    other.Init(session);
    other.LoadObject(second.get(), flattened);
    other.Closedown();
    EXPECT_EQ(second->held, image);
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, AContainerThatSavesNothingFlattensToEmptyText) {
    container->held.clear();
    EXPECT_EQ(handler.FlattenObject(container.get()), u"");
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, SaveObjectToFileLeavesTheImageForTheCaller) {
    container->held = pattern_bytes(777);
    LONG length = -1;
    const fs::path path = utf8(handler.SaveObjectToFile(container.get(), length));
    EXPECT_EQ(length, 777);
    EXPECT_EQ(path.parent_path(), temp);
    EXPECT_EQ(read_bytes(path), container->held);
    fs::remove(path);
}

TEST_F(MediaObjectHandlerTest, AFailingSaveGivesTheHandlersTextAndLeavesNoFile) {
    container->held = pattern_bytes(10);
    container->fail_save_with = error_number(RuntimeError::OleSaveToFile);
    LONG length = -1;
    for (auto action : std::initializer_list<std::function<void()>>{
             [&] { handler.SaveObjectToFile(container.get(), length); }, [&] { handler.FlattenObject(container.get()); }}) {
        auto error = error_of(action);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number, error_number(RuntimeError::OleSaveToFile));
        EXPECT_EQ(error->description, u"Disk Error");
    }
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, ClosedownReleasesTheSessionAndIsHarmlessTwiceOrWithoutInit) {
    const ULONG before = ref_count(session.get());
    CMediaObjectHandler never_initialised;
    never_initialised.Closedown();
    never_initialised.Closedown();

    CMediaObjectHandler other;
    other.Init(session);
    other.Init(session);  // replaces, does not add
    EXPECT_EQ(ref_count(session.get()), before + 1);
    other.Closedown();
    EXPECT_EQ(ref_count(session.get()), before);
    other.Closedown();
    EXPECT_EQ(ref_count(session.get()), before);

    // Without a session there is no temporary name: the operation fails and leaves nothing.
    auto error = error_of([&] { other.LoadObject(container.get(), as_text(pattern_bytes(8))); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 91);
    expect_no_temp_file();

    {
        CMediaObjectHandler dropped;
        dropped.Init(session);
    }
    EXPECT_EQ(ref_count(session.get()), before);
}

// Real stored images, through the handler: what the container receives, and what flattening it
// gives back, is the plain image.
TEST_F(MediaObjectHandlerTest, CorpusImagesPassThroughAsTheirPlainImages) {
    const auto names = corpus_names();
    EXPECT_EQ(names.size(), 20u);
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        const Bytes stored = read_corpus(name);
        ASSERT_GE(stored.size(), 4u);
        const bool is_headed = stored[0] == 0x15 && stored[1] == 0x1C;
        EXPECT_EQ(is_headed, name.starts_with("access-headed-"));
        const std::size_t start = is_headed ? std::size_t(stored[2] | stored[3] << 8) : 0;
        const Bytes plain(stored.begin() + std::ptrdiff_t(start), stored.end());

        load(stored);
        EXPECT_EQ(container->held, plain);
        EXPECT_EQ(handler.FlattenObject(container.get()), as_text(plain));
    }
    expect_no_temp_file();
}

}  // namespace
