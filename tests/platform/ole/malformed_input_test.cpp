// Anything that is not one whole valid object fails with 31037: no crash, no hang, no read past
// the end (run these under ASan/UBSan).
#include "test_support.h"

#include <gtest/gtest.h>

namespace pathmender::ole::testing {
namespace {

std::optional<OleFailure> error_reading(ByteView bytes) {
    return load_error_of([&] {
        std::size_t consumed = 0;
        read_ole_object(bytes, consumed);
    });
}

class TruncatedObject : public ::testing::TestWithParam<const char*> {};

TEST_P(TruncatedObject, FailsAtEveryLength) {
    const Bytes file = read_corpus(GetParam());
    const ObjectSpan span = object_span_in(GetParam(), file);
    for (std::size_t length = 0; length < span.length; ++length) {
        // A copy of exactly `length` bytes, so ASan sees any read past it.
        const Bytes truncated(file.begin() + span.offset, file.begin() + span.offset + length);
        ASSERT_EQ(error_reading(truncated), OleFailure::LoadingFromFile) << "length " << length;
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, TruncatedObject,
                         ::testing::Values(kLinkedExcel, "container-blob-embedded-pbrush-ole10native-frx-intuit.bin",
                                           kEquationOle1, "access-headed-embedded-word8-jackcess.bin",
                                           "ole1-embedded-package-html-tika.bin"));

TEST(MalformedOle1, RealLinkCutAfterItsClassFails) {
    EXPECT_EQ(error_reading(read_corpus(kTruncatedOle1Link)), OleFailure::LoadingFromFile);
}

TEST(MalformedOle1, BrokenFieldsFail) {
    const Bytes equation = read_corpus(kEquationOle1);
    struct Patch {
        const char* what;
        std::size_t offset;
        std::uint32_t value;
    };
    // Equation: OLEVersion, FormatID, ClassName (11 bytes), Topic 0, Item 0, native size at 31,
    // presentation FormatID at 51.
    const Patch patches[] = {
        {"unknown FormatID", 4, 4},
        {"FormatID zero", 4, 0},
        {"class name longer than the data", 8, 0x7FFFFFFF},
        {"native data longer than the data", 31, 0xFFFFFFFF},
        {"unknown presentation format", 51, 6},
    };
    for (const Patch& patch : patches) {
        SCOPED_TRACE(patch.what);
        Bytes bytes = equation;
        store_u32(bytes, patch.offset, patch.value);
        EXPECT_EQ(error_reading(bytes), OleFailure::LoadingFromFile);
    }
    Bytes without_nul = equation;
    without_nul[8 + 4 + 10] = 'X';  // the NUL ending "Equation.3"
    EXPECT_EQ(error_reading(without_nul), OleFailure::LoadingFromFile);
}

TEST(MalformedContainer, CompoundFileCutAtASectorBoundaryFails) {
    const Bytes real = read_corpus(kEmbeddedChart);
    const std::size_t compound_size = real.size() - kContainerHeaderSize;
    for (std::size_t cut = 512; cut < compound_size; cut += 512) {
        Bytes image(real.begin(), real.begin() + kContainerHeaderSize + cut);
        store_u32(image, 2, static_cast<std::uint32_t>(cut));
        EXPECT_EQ(error_reading(image), OleFailure::LoadingFromFile) << "cut at " << cut;
    }
}

TEST(MalformedContainer, HeaderOfAnotherSizeIsNotAContainerObject) {
    Bytes image = read_corpus(kLinkedExcel);
    image[0] = 25;
    EXPECT_EQ(error_reading(image), OleFailure::LoadingFromFile);
}

// Offsets in the "\1Ole" stream of the real link, whose absolute file moniker starts at 0x1C.
TEST(MalformedMoniker, LengthsOutsideTheirStreamFail) {
    const Bytes real = read_corpus(kLinkedExcel);
    std::size_t consumed = 0;
    const Bytes ole_stream = ole_stream_of(read_ole_object(real, consumed));
    struct Patch {
        const char* what;
        std::size_t offset;
        std::uint32_t value;
    };
    const Patch patches[] = {
        {"absolute moniker stream past the \\1Ole stream", 0x18, 0x10000},
        {"absolute moniker stream smaller than its size field", 0x18, 2},
        {"relative moniker stream past the \\1Ole stream", 0x14, 0x7FFFFFF0},
        {"reserved moniker stream past the \\1Ole stream", 0x10, 0xFFFFFFFF},
        {"ANSI path past the moniker stream", 0x2E, 0x1000},
        {"ANSI path without its NUL", 0x2E, 0x2F},
        {"extension blocks past the moniker stream", 0x7A, 0x400},
        {"long path block past its extension list", 0x7E, 0x1000},
        {"long path of an odd byte count", 0x7E, 0x8B},
        {"composite counting more monikers than it holds", 0x1C, 0x00000309},
    };
    for (const Patch& patch : patches) {
        SCOPED_TRACE(patch.what);
        Bytes stream = ole_stream;
        store_u32(stream, patch.offset, patch.value);
        EXPECT_EQ(error_reading(container_with_ole_stream(real, stream)), OleFailure::LoadingFromFile);
    }
    Bytes without_tail(ole_stream.begin(), ole_stream.end() - 20);
    EXPECT_EQ(error_reading(container_with_ole_stream(real, without_tail)), OleFailure::LoadingFromFile);
}

// Raw access to the compound file inside a container image, to break its chains on purpose.
class CompoundBytes {
public:
    explicit CompoundBytes(Bytes& image) : image_(image) {}

    std::uint32_t fat(std::uint32_t sector) const { return load_u32(image_, fat_offset(sector)); }
    void set_fat(std::uint32_t sector, std::uint32_t next) { store_u32(image_, fat_offset(sector), next); }
    std::uint32_t directory_start() const { return header(0x30); }
    // Entries of the first directory sector only.
    std::size_t entry(std::uint32_t id) const { return sector(directory_start()) + id * 128; }
    std::uint32_t stream_start(std::uint32_t id) const { return load_u32(image_, entry(id) + 0x74); }
    void set_stream(std::uint32_t id, std::uint32_t start, std::uint32_t size) {
        store_u32(image_, entry(id) + 0x74, start);
        store_u32(image_, entry(id) + 0x78, size);
    }
    std::uint32_t last_in_chain(std::uint32_t sector) const {
        while (fat(sector) != 0xFFFFFFFE)
            sector = fat(sector);
        return sector;
    }
    void set_mini_fat(std::uint32_t mini_sector, std::uint32_t next) {
        store_u32(image_, sector(header(0x3C)) + 4 * mini_sector, next);
    }

private:
    static constexpr std::size_t kBase = kContainerHeaderSize;
    std::uint32_t header(std::size_t offset) const { return load_u32(image_, kBase + offset); }
    std::size_t sector(std::uint32_t index) const { return kBase + 512 + std::size_t{index} * 512; }
    std::size_t fat_offset(std::uint32_t index) const { return sector(header(0x4C + 4 * (index / 128))) + 4 * (index % 128); }

    Bytes& image_;
};

TEST(MalformedCompoundFile, DamagedChainsAndTreesFailWithoutHanging) {
    // Chart: entry 1 "Workbook" (20727 bytes in 41 sectors, left sibling 2), entry 2 "\1CompObj"
    // (2 mini sectors), entry 3 "\5SummaryInformation" (4 mini sectors). Each chain given to a
    // second owner is long enough for it, so sharing is all that is wrong.
    const Bytes real = read_corpus(kEmbeddedChart);
    struct Damage {
        const char* what;
        std::function<void(CompoundBytes&, Bytes&)> apply;
    };
    const Damage damages[] = {
        {"stream chain loops back", [](CompoundBytes& file, Bytes&) {
             const std::uint32_t first = file.stream_start(1);
             file.set_fat(file.fat(first), first);
         }},
        {"directory chain loops back", [](CompoundBytes& file, Bytes&) {
             const std::uint32_t first = file.directory_start();
             file.set_fat(file.fat(first), first);
         }},
        {"mini stream chain loops on itself", [](CompoundBytes& file, Bytes&) {
             file.set_mini_fat(file.stream_start(2), file.stream_start(2));
         }},
        {"directory tree loops back", [](CompoundBytes& file, Bytes& image) {
             store_u32(image, file.entry(2) + 0x48, 1);
         }},
        {"stream chain runs off the file", [](CompoundBytes& file, Bytes&) {
             file.set_fat(file.stream_start(1), 0x00FFFFFF);
         }},
        {"two streams share one chain", [](CompoundBytes& file, Bytes&) {
             file.set_stream(3, file.stream_start(1), 20727);
         }},
        {"two small streams share mini sectors", [](CompoundBytes& file, Bytes&) {
             file.set_stream(2, file.stream_start(3), 103);
         }},
        {"stream chain runs into the directory chain", [](CompoundBytes& file, Bytes&) {
             file.set_fat(file.last_in_chain(file.stream_start(1)), file.directory_start());
         }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        Bytes image = real;
        CompoundBytes file(image);
        damage.apply(file, image);
        EXPECT_EQ(error_reading(image), OleFailure::LoadingFromFile);
    }
}

TEST(MalformedCompoundFile, EmptyStreamWhoseStartIsAnotherStreamsStillReads) {
    Bytes image = read_corpus(kEmbeddedChart);
    CompoundBytes file(image);
    file.set_stream(3, file.stream_start(2), 0);
    EXPECT_EQ(error_reading(image), std::nullopt);
}

TEST(MalformedInput, EmptyAndTinyInputsFail) {
    EXPECT_EQ(error_reading({}), OleFailure::LoadingFromFile);
    const Bytes tiny = {0x18, 0x00, 0x00};
    EXPECT_EQ(error_reading(tiny), OleFailure::LoadingFromFile);
}

}  // namespace
}  // namespace pathmender::ole::testing
