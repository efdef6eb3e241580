#include "platform/binary_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <span>

#include "com/error.h"
#include "com/utf.h"
#include "platform/support/binary_files_cases.h"
#include "support/com_checks.h"
#include "support/files.h"
#include "support/scoped.h"

namespace fs = std::filesystem;
using namespace std::literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::u16string u16(const fs::path& path) { return utf16(path.string()); }

class BinaryFilesTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (int number = kFirstFileNumber; number <= kLastFileNumber; ++number) Close(number);
    }
    // Opens a new file at name under the next free number.
    int create(const char* name) {
        int number = FreeFile();
        OpenBinary(u16(dir_ / name), number, Create::Exclusive);
        return number;
    }

    TempFolder folder_;
    const fs::path dir_ = folder_.path();
};

TEST_F(BinaryFilesTest, FreeFileGivesTheLowestNumberNotInUse) {
    EXPECT_EQ(FreeFile(), 1);
    int first = create("a");
    int second = create("b");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
    Close(first);
    EXPECT_EQ(FreeFile(), 1);
}

TEST_F(BinaryFilesTest, FreeFileRunsOutAfterTheLastNumber) {
    for (int number = kFirstFileNumber; number <= kLastFileNumber; ++number)
        OpenBinary(u16(dir_ / std::to_string(number)), number, Create::Exclusive);
    EXPECT_EQ(raised([] { FreeFile(); }), RuntimeError::TooManyFiles);
    Close(300);
    EXPECT_EQ(FreeFile(), 300);
}

TEST_F(BinaryFilesTest, ExclusiveCreationMakesAPrivateEmptyFile) {
    int number = create("new.OLE");
    struct stat status {};
    ASSERT_EQ(::lstat((dir_ / "new.OLE").c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(LOF(number), 0);
    EXPECT_EQ(open_file(number).path(), u16(dir_ / "new.OLE"));
}

TEST_F(BinaryFilesTest, OpeningRefusesWhatItMustNotTouch) {
    const Bytes theirs = {1, 2, 3};
    write_bytes(dir_ / "existing", theirs);
    write_bytes(dir_ / "target", theirs);
    fs::create_symlink(dir_ / "target", dir_ / "link");
    fs::create_symlink(dir_ / "nowhere", dir_ / "dangling");
    fs::create_directory(dir_ / "folder");

    // Links are never followed, whether they lead anywhere or not.
    const binary_cases::OpenCase links[] = {
        {"link", Create::Exclusive, RuntimeError::FileAlreadyExists},
        {"dangling", Create::Exclusive, RuntimeError::FileAlreadyExists},
        {"link", Create::Never, RuntimeError::PathFileAccessError},
        {"dangling", Create::Never, RuntimeError::PathFileAccessError},
    };
    for (const auto& rows : {std::span<const binary_cases::OpenCase>(binary_cases::kRefusedOpens),
                             std::span<const binary_cases::OpenCase>(links)}) {
        for (const auto& c : rows) {
            SCOPED_TRACE(std::string(c.name) + " " + binary_cases::mode_name(c.create));
            EXPECT_EQ(raised([&] { OpenBinary(u16(dir_ / c.name), 1, c.create); }), c.error);
            EXPECT_EQ(FreeFile(), 1);  // a failed open keeps the number free
        }
    }
    EXPECT_EQ(read_bytes(dir_ / "existing"), theirs);
    EXPECT_EQ(read_bytes(dir_ / "target"), theirs);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link"));
    EXPECT_FALSE(fs::exists(dir_ / "nowhere"));
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(BinaryFilesTest, BadNumbersAndNamesAreRefused) {
    const RuntimeError bad = RuntimeError::BadFileNameOrNumber;
    for (int number : binary_cases::kBadFileNumbers) {
        SCOPED_TRACE(number);
        EXPECT_EQ(raised([&] { OpenBinary(u16(dir_ / "x"), number, Create::Exclusive); }), bad);
        EXPECT_EQ(raised([&] { open_file(number); }), bad);
    }
    EXPECT_EQ(raised([] { open_file(7); }), bad);  // not open
    EXPECT_EQ(raised([] { OpenBinary(u"", 1, Create::Exclusive); }), bad);
    EXPECT_EQ(raised([&] { OpenBinary(u16(dir_) + u"/a\0b"s, 1, Create::Exclusive); }), bad);
    EXPECT_FALSE(fs::exists(dir_ / "x"));
}

TEST_F(BinaryFilesTest, ANumberInUseIsAlreadyOpenAndKeepsItsFile) {
    int number = create("first");
    EXPECT_EQ(raised([&] { OpenBinary(u16(dir_ / "second"), number, Create::Exclusive); }),
              RuntimeError::FileAlreadyOpen);
    EXPECT_FALSE(fs::exists(dir_ / "second"));
    WriteBytes(number, Bytes{9});
    EXPECT_EQ(read_bytes(dir_ / "first"), Bytes{9});
}

TEST_F(BinaryFilesTest, ReopeningAnExistingFileKeepsItsBytesAndStartsAtTheFront) {
    write_bytes(dir_ / "kept", {10, 20, 30, 40});
    OpenBinary(u16(dir_ / "kept"), 3, Create::Never);
    EXPECT_EQ(FilePosition(3), 0);
    EXPECT_EQ(LOF(3), 4);
    EXPECT_EQ(ReadBytes(3, 2), (Bytes{10, 20}));
    WriteBytes(3, Bytes{99});
    Close(3);
    EXPECT_EQ(read_bytes(dir_ / "kept"), (Bytes{10, 20, 99, 40}));
}

// Text goes out as ANSI bytes; text outside the code page is refused before anything is written.
TEST_F(BinaryFilesTest, TextIsWrittenAsAnsiBytesOrNotAtAll) {
    int number = create("text");
    WriteText(number, u"A\u20AC\u00FF\u0081\u0000z"sv);
    EXPECT_EQ(raised([&] { WriteText(number, u"ab\u4E00cd"); }), RuntimeError::InvalidProcedureCall);
    EXPECT_EQ(raised([&] { WriteText(number, u"\u0100"); }), RuntimeError::InvalidProcedureCall);
    EXPECT_EQ(FilePosition(number), 6);
    Close(number);
    EXPECT_EQ(read_bytes(dir_ / "text"), (Bytes{'A', 0x80, 0xFF, 0x81, 0x00, 'z'}));
}

TEST_F(BinaryFilesTest, ReadingPastTheEndReadsNothing) {
    int number = create("short");
    WriteBytes(number, Bytes{1, 2, 3, 4, 5});
    SeekFile(number, 2);
    EXPECT_EQ(raised([&] { ReadBytes(number, 4); }), RuntimeError::InputPastEndOfFile);
    EXPECT_EQ(FilePosition(number), 2);
    EXPECT_EQ(ReadBytes(number, 3), (Bytes{3, 4, 5}));
    EXPECT_EQ(ReadBytes(number, 0), Bytes{});
    EXPECT_EQ(raised([&] { ReadBytes(number, 1); }), RuntimeError::InputPastEndOfFile);
}

TEST_F(BinaryFilesTest, TheOpenFileMovesBytesAtItsPosition) {
    int number = create("bytes");
    BinaryFile& file = open_file(number);
    const Bytes all = {0, 1, 2, 3, 4, 5, 6, 7};
    file.write(all);
    EXPECT_EQ(file.position(), 8);
    EXPECT_EQ(file.length(), 8);
    file.seek(3);
    Bytes middle(3);
    file.read(middle);
    EXPECT_EQ(middle, (Bytes{3, 4, 5}));
    EXPECT_EQ(file.position(), 6);
    EXPECT_EQ(raised([&] { file.seek(-1); }), RuntimeError::InvalidProcedureCall);
    file.seek(10);
    file.write(Bytes{0xEE});
    EXPECT_EQ(file.length(), 11);
    Close(number);
    EXPECT_EQ(read_bytes(dir_ / "bytes"), (Bytes{0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0xEE}));
    EXPECT_EQ(FileLen(u16(dir_ / "bytes")), 11);
}

TEST_F(BinaryFilesTest, CloseFreesTheNumberAndIgnoresOneNotOpen) {
    int number = create("closed");
    Close(number);
    Close(number);
    EXPECT_EQ(raised([&] { LOF(number); }), RuntimeError::BadFileNameOrNumber);
    EXPECT_EQ(raised([] { Close(0); }), RuntimeError::BadFileNameOrNumber);
    OpenBinary(u16(dir_ / "closed"), number, Create::Never);
}

TEST_F(BinaryFilesTest, KillDeletesClosedFilesOnly) {
    write_bytes(dir_ / "gone", {1});
    write_bytes(dir_ / "target", {2});
    fs::create_symlink(dir_ / "target", dir_ / "link");
    fs::create_directory(dir_ / "folder");
    int busy = create("busy");

    Kill(u16(dir_ / "gone"));
    EXPECT_FALSE(fs::exists(dir_ / "gone"));
    EXPECT_EQ(raised([&] { Kill(u16(dir_ / "gone")); }), RuntimeError::FileNotFound);
    for (const auto& c : binary_cases::kRefusedKills) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(raised([&] { Kill(u16(dir_ / c.name)); }), c.error);
    }
    EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
    Kill(u16(dir_ / "link"));  // the link, not what it names
    EXPECT_FALSE(fs::is_symlink(dir_ / "link"));
    EXPECT_EQ(read_bytes(dir_ / "target"), Bytes{2});

    EXPECT_EQ(raised([&] { Kill(u16(dir_ / "busy")); }), RuntimeError::FileAlreadyOpen);
    EXPECT_TRUE(fs::exists(dir_ / "busy"));
    Close(busy);
    Kill(u16(dir_ / "busy"));
    EXPECT_EQ(raised([&] { FileLen(u16(dir_ / "busy")); }), RuntimeError::FileNotFound);
}

// The process may write no more than a few bytes: the device is as good as full.
TEST_F(BinaryFilesTest, AWriteThatCannotCompleteIsDiskFull) {
    int number = create("full");
    WriteBytes(number, Bytes(100, 1));

    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    RuntimeError whole = raised([&] { WriteBytes(number, Bytes(5000, 2)); });
    RuntimeError text = raised([&] { WriteText(number, u"more"); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_EQ(whole, RuntimeError::DiskFull);
    EXPECT_EQ(text, RuntimeError::DiskFull);
}

}  // namespace
