#include "media/CMediaObjectHandler.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "com/error.h"
#include "com/utf.h"
#include "hostapp/services/host_classes.h"
#include "hostapp/services/host_environment.h"
#include "hostapp/services/host_session_context.h"
#include "media/support/test_host_services.h"
#include "media/support/test_ole_container.h"
#include "platform/ansi_codepage.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern_bytes(std::size_t count, std::uint8_t seed = 0) {
    Bytes out(count);
    for (std::size_t i = 0; i < count; ++i) out[i] = std::uint8_t((i * 7 + seed) % 251);
    if (!out.empty()) out[0] = 0x18;  // never the header signature
    return out;
}

Bytes all_byte_values() {
    Bytes out(256);
    for (int i = 0; i < 256; ++i) out[std::size_t(i)] = std::uint8_t(i);
    return out;
}

// A header of length header_length (at least 4 bytes are written: signature and length), then image.
Bytes headed(unsigned header_length, const Bytes& image) {
    Bytes out = {0x15, 0x1C, std::uint8_t(header_length & 0xFF), std::uint8_t(header_length >> 8)};
    while (out.size() < header_length) out.push_back(std::uint8_t(0xA0 + out.size() % 16));
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

std::u16string as_text(const Bytes& bytes) { return ansi_decode(bytes); }

Bytes read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::optional<ComError> error_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const ComError& e) {
        return e;
    }
    return std::nullopt;
}

ULONG reference_count(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// Each test has its own temporary folder, the host's services and a host session.
class MediaObjectHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pm-media-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        temp_dir_ = pattern;
        saved_environment_ = host_environment();
        HostEnvironment environment = saved_environment_;
        environment.database.clear();
        environment.temp_folder = temp_dir_;
        configure_host(environment);
        register_host_classes();
        session_ = open_host_session(temp_dir_ / "unused.db");
        handler_.Init(session_);
        container_ = make_com<TestOleContainer>();
    }
    void TearDown() override {
        handler_.Closedown();
        revoke_host_classes();
        configure_host(saved_environment_);
        fs::remove_all(temp_dir_);
    }

    std::vector<fs::path> temp_files() const {
        std::vector<fs::path> out;
        for (const auto& entry : fs::directory_iterator(temp_dir_)) out.push_back(entry.path());
        return out;
    }
    void expect_no_temp_file() const { EXPECT_TRUE(temp_files().empty()) << temp_files().front(); }

    void load(const Bytes& data) { handler_.LoadObject(container_.get(), as_text(data)); }

    fs::path temp_dir_;
    HostEnvironment saved_environment_;
    ComPtr<ISessionContext> session_;
    CMediaObjectHandler handler_;
    ComPtr<TestOleContainer> container_;
};

// With services whose temporary names a test knows beforehand, and which count their objects.
class MediaObjectHandlerKnownNamesTest : public MediaObjectHandlerTest {
protected:
    void SetUp() override {
        MediaObjectHandlerTest::SetUp();
        services_.emplace(temp_dir_);
    }
    void TearDown() override {
        services_.reset();
        MediaObjectHandlerTest::TearDown();
    }

    std::optional<TestHostServices> services_;
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
        container_->held.clear();
        load(c.data);
        EXPECT_EQ(container_->held, c.image);
        EXPECT_EQ(container_->read_position, 0);
        expect_no_temp_file();
    }
}

TEST_F(MediaObjectHandlerTest, TheTemporaryFileIsAPrivateOleFileInTheHostsLocation) {
    load(pattern_bytes(10));
    ASSERT_EQ(container_->read_calls, 1);
    const fs::path seen = utf8(container_->read_path);
    EXPECT_EQ(seen.parent_path(), temp_dir_);
    EXPECT_EQ(seen.extension(), ".OLE");
    EXPECT_TRUE(S_ISREG(container_->read_file_mode));
    EXPECT_EQ(container_->read_file_mode & 0777, 0600u);
}

TEST_F(MediaObjectHandlerKnownNamesTest, EveryTransferUsesAndReleasesItsOwnServicesAndFile) {
    LONG session_id = 0;
    ASSERT_EQ(session_->get_SessionID(&session_id), S_OK);
    load(pattern_bytes(10));
    EXPECT_EQ(services_->log().created, 2);
    EXPECT_EQ(services_->log().last_extension, u".OLE");
    EXPECT_EQ(services_->log().last_number, session_id);
    const std::u16string first_path = container_->read_path;
    handler_.FlattenObject(container_.get());
    load(pattern_bytes(10));
    EXPECT_EQ(services_->log().created, 6);
    EXPECT_EQ(services_->log().alive, 0);
    EXPECT_NE(container_->read_path, first_path);
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, DataTooShortForItsFormIsAnInvalidArgument) {
    const Bytes cases[] = {{}, {0x41}, {0x15, 0x1C}, {0x15, 0x1C, 0x14}};
    for (const auto& data : cases) {
        SCOPED_TRACE(testing::PrintToString(data));
        auto error = error_of([&] { load(data); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number, 5);
        EXPECT_EQ(error->description, u"");
        EXPECT_EQ(container_->read_calls, 0);
        expect_no_temp_file();
    }
}

TEST_F(MediaObjectHandlerTest, AHeaderLengthOutsideTheDataIsInvalidData) {
    const Bytes data = headed(4, pattern_bytes(40));
    const std::size_t n = data.size();
    struct Case {
        const char* name;
        std::size_t header_length;
    };
    const Case cases[] = {
        {"H = 0", 0}, {"H = 3", 3}, {"H one beyond the data", n + 1}, {"H = 0xFFFF", 0xFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes corrupt = data;
        corrupt[2] = std::uint8_t(c.header_length & 0xFF);
        corrupt[3] = std::uint8_t(c.header_length >> 8);
        auto error = error_of([&] { load(corrupt); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number, error_number(RuntimeError::OleLoadFromFile));
        EXPECT_EQ(error->description, u"Invalid data found");
        EXPECT_EQ(container_->read_calls, 0);
        expect_no_temp_file();
    }
}

TEST_F(MediaObjectHandlerTest, ACharacterOutsideTheCodePageIsAnInvalidArgument) {
    std::u16string data = as_text(pattern_bytes(3 * 10256));
    data[2 * 10256 + 5] = u'\u4E00';
    auto error = error_of([&] { handler_.LoadObject(container_.get(), data); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 5);
    EXPECT_EQ(container_->read_calls, 0);
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, AContainerThatCannotReadTheFileGivesInvalidData) {
    container_->fail_read_with = error_number(RuntimeError::OleLoadFromFile);
    auto error = error_of([&] { load(pattern_bytes(64)); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, error_number(RuntimeError::OleLoadFromFile));
    EXPECT_EQ(error->description, u"Invalid data found");
    EXPECT_EQ(error->source, u"");
    EXPECT_EQ(container_->read_calls, 1);
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, LargeDataIsWrittenWholeAcrossPieces) {
    for (std::size_t size : {10255u, 10256u, 10257u, 2u * 10256u, 3u * 10256u + 17u}) {
        SCOPED_TRACE(size);
        const Bytes image = pattern_bytes(size, std::uint8_t(size));
        load(image);
        EXPECT_EQ(container_->held, image);
        load(headed(47, image));
        EXPECT_EQ(container_->held, image);
    }
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, EveryByteValueSurvivesLoadAndFlatten) {
    const Bytes image = all_byte_values();
    load(image);
    EXPECT_EQ(container_->held, image);
    EXPECT_EQ(handler_.FlattenObject(container_.get()), as_text(image));
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, FlattenedTextLoadsTheSameObjectIntoAnotherContainer) {
    const Bytes image = pattern_bytes(5000);
    load(headed(29, image));
    const std::u16string flattened = handler_.FlattenObject(container_.get());
    EXPECT_EQ(flattened.size(), image.size());
    EXPECT_EQ(flattened, as_text(image));

    auto second = make_com<TestOleContainer>();
    CMediaObjectHandler other;
    other.Init(session_);
    other.LoadObject(second.get(), flattened);
    other.Closedown();
    EXPECT_EQ(second->held, image);
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, AContainerThatSavesNothingFlattensToEmptyText) {
    container_->held.clear();
    EXPECT_EQ(handler_.FlattenObject(container_.get()), u"");
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, SaveObjectToFileLeavesTheImageForTheCaller) {
    container_->held = pattern_bytes(777);
    LONG length = -1;
    const fs::path path = utf8(handler_.SaveObjectToFile(container_.get(), length));
    EXPECT_EQ(length, 777);
    EXPECT_EQ(path.parent_path(), temp_dir_);
    EXPECT_EQ(read_file(path), container_->held);
    fs::remove(path);
}

TEST_F(MediaObjectHandlerTest, AFailingSaveGivesTheHandlersTextAndLeavesNoFile) {
    container_->held = pattern_bytes(10);
    container_->fail_save_with = error_number(RuntimeError::OleSaveToFile);
    LONG length = -1;
    auto saved = error_of([&] { handler_.SaveObjectToFile(container_.get(), length); });
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->number, error_number(RuntimeError::OleSaveToFile));
    EXPECT_EQ(saved->description, u"Disk Error");
    auto flattened = error_of([&] { handler_.FlattenObject(container_.get()); });
    ASSERT_TRUE(flattened);
    EXPECT_EQ(flattened->number, error_number(RuntimeError::OleSaveToFile));
    EXPECT_EQ(flattened->description, u"Disk Error");
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerKnownNamesTest, AnExistingFileAtTheTemporaryNameIsNeverReusedNorTouched) {
    const Bytes theirs = {'t', 'h', 'e', 'i', 'r', 's'};
    struct Case {
        const char* name;
        std::function<void()> action;
    };
    const Case cases[] = {
        {"load", [&] { load(pattern_bytes(50)); }},
        {"flatten", [&] { handler_.FlattenObject(container_.get()); }},
    };
    container_->held = pattern_bytes(20);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path planted = services_->next_temp_path();
        write_file(planted, theirs);
        auto error = error_of(c.action);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number, 58);
        EXPECT_EQ(read_file(planted), theirs);
        EXPECT_EQ(temp_files(), std::vector<fs::path>{planted});
        fs::remove(planted);
    }
    EXPECT_EQ(container_->read_calls, 0);
}

TEST_F(MediaObjectHandlerKnownNamesTest, ALinkAtTheTemporaryNameIsNotFollowed) {
    const fs::path target = temp_dir_ / "target";
    const Bytes theirs = {'k', 'e', 'e', 'p'};
    container_->held = pattern_bytes(20);
    for (bool target_exists : {true, false}) {
        for (bool flatten : {false, true}) {
            SCOPED_TRACE(std::string(target_exists ? "existing" : "missing") + " target, " +
                         (flatten ? "flatten" : "load"));
            if (target_exists) write_file(target, theirs);
            const fs::path link = services_->next_temp_path();
            fs::create_symlink(target, link);
            auto error = error_of([&] {
                if (flatten) handler_.FlattenObject(container_.get());
                else load(pattern_bytes(50));
            });
            ASSERT_TRUE(error);
            EXPECT_EQ(error->number, 58);
            EXPECT_TRUE(fs::is_symlink(link));
            EXPECT_EQ(fs::exists(target), target_exists);
            if (target_exists) {
                EXPECT_EQ(read_file(target), theirs);
            }
            fs::remove(link);
            fs::remove(target);
        }
    }
    EXPECT_EQ(container_->read_calls, 0);
    expect_no_temp_file();
}

TEST_F(MediaObjectHandlerTest, ClosedownReleasesTheSessionAndIsHarmlessTwiceOrWithoutInit) {
    const ULONG before = reference_count(session_.get());
    CMediaObjectHandler never_initialised;
    never_initialised.Closedown();
    never_initialised.Closedown();

    CMediaObjectHandler handler;
    handler.Init(session_);
    handler.Init(session_);  // replaces, does not add
    EXPECT_EQ(reference_count(session_.get()), before + 1);
    handler.Closedown();
    EXPECT_EQ(reference_count(session_.get()), before);
    handler.Closedown();
    EXPECT_EQ(reference_count(session_.get()), before);

    // Without a session there is no temporary name: the operation fails and leaves nothing.
    auto error = error_of([&] { handler.LoadObject(container_.get(), as_text(pattern_bytes(8))); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 91);
    expect_no_temp_file();

    {
        CMediaObjectHandler dropped;
        dropped.Init(session_);
    }
    EXPECT_EQ(reference_count(session_.get()), before);
}

TEST(MediaObjectHandlerErrors, RaiseObjectErrorGivesTheHandlersTexts) {
    struct Case {
        LONG number;
        std::u16string description;
    };
    const Case cases[] = {
        {31001, u"Out of Memory"},
        {31004, u"Invalid data found"},
        {31018, u"Corresponding Application needs to be re-installed"},
        {31027, u"Corresponding Application needs to be re-installed"},
        {31032, u"Corresponding Application needs to be re-installed"},
        {31036, u"Disk Error"},
        {31037, u"Invalid data found"},
        {31038, u""},
        {5, u""},
        {61, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        auto error = error_of([&] { CMediaObjectHandler::RaiseObjectError(c.number); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number, c.number);
        EXPECT_EQ(error->description, c.description);
        EXPECT_EQ(error->source, u"");
    }
}

// Real stored images, through the handler: what the container receives, and what flattening it
// gives back, is the plain image.
TEST_F(MediaObjectHandlerTest, CorpusImagesPassThroughAsTheirPlainImages) {
    int seen = 0;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(PATHMENDER_CORPUS_DIR))
        if (entry.path().extension() == ".bin") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const Bytes stored = read_file(file);
        ASSERT_GE(stored.size(), 4u);
        const bool is_headed = stored[0] == 0x15 && stored[1] == 0x1C;
        EXPECT_EQ(is_headed, file.filename().string().starts_with("access-headed-"));
        const std::size_t start = is_headed ? std::size_t(stored[2] | stored[3] << 8) : 0;
        const Bytes plain(stored.begin() + std::ptrdiff_t(start), stored.end());

        load(stored);
        EXPECT_EQ(container_->held, plain);
        EXPECT_EQ(handler_.FlattenObject(container_.get()), as_text(plain));
        ++seen;
    }
    EXPECT_EQ(seen, 20);
    expect_no_temp_file();
}

}  // namespace
