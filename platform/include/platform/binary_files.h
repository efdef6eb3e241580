// Binary files by file number: the platform's file functions. One table of open files for the
// whole process (the platform is a shared library), numbers 1 to 511. Every failure raises the
// platform's run-time error (ComError) with its standard text. Positions are byte offsets from
// the start of the file, counting from 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline constexpr int kFirstFileNumber = 1;
inline constexpr int kLastFileNumber = 511;

// How OpenBinary treats the name. Neither ever follows a symbolic link at the name.
enum class Create {
    // A new private file (owner read and write only); an existing name of any kind fails with
    // 58 "File already exists" and is left alone.
    Exclusive,
    // Only a regular file that exists already (53 "File not found" otherwise).
    Never,
};

// The system's handle of an open file: a descriptor here, a HANDLE on Windows.
#ifdef _WIN32
using NativeFile = void*;
#else
using NativeFile = int;
#endif

// An open file of the table, for code that moves bytes itself (the OLE container control).
// Valid until its number is closed; used from one thread at a time.
class BinaryFile {
public:
    BinaryFile(NativeFile file, std::u16string path) : file_(file), path_(std::move(path)) {}
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    ~BinaryFile();

    // Fills bytes from the current position and moves past them; if the file holds fewer,
    // raises 62 "Input past end of file" and reads nothing.
    void read(std::span<std::uint8_t> bytes);
    // Writes every byte at the current position and moves past them, or raises (61 "Disk full").
    void write(std::span<const std::uint8_t> bytes);
    std::int64_t position() const;
    // Any offset from 0 on; past the end is allowed, and a later write fills the gap with zeros.
    void seek(std::int64_t offset);
    std::int64_t length() const;
    const std::u16string& path() const { return path_; }

    // Closes the file, raising the system's late write failures; idempotent.
    void close();

private:
    friend void Kill(std::u16string_view path);  // refuses to delete a file that is open
    NativeFile file_;
    std::u16string path_;
    // Where the next read or write goes, kept here where the system's own offset is not used
    // (POSIX: every transfer is one positioned call, and asking for the position costs none).
    std::int64_t position_ = 0;
};

// The lowest number not in use; 67 "Too many files" when all are taken.
int FreeFile();

// Opens path for reading and writing in binary mode under number, at position 0, never
// truncating. 52 for a number outside 1..511, 55 "File already open" for a number in use.
// A failed open leaves no file behind and the number free.
void OpenBinary(std::u16string_view path, int number, Create create);

// Closes the file under number; a number that is not open is left as it is.
void Close(int number);

// The open file under number; 52 "Bad file name or number" if none.
BinaryFile& open_file(int number);

// Writes text at the current position, one byte per character through the ANSI code page, no
// length prefix. A character the code page cannot hold raises 5 before anything is written.
void WriteText(int number, std::u16string_view text);
void WriteBytes(int number, std::span<const std::uint8_t> bytes);
// count bytes from the current position (62 "Input past end of file" if the file ends first).
std::vector<std::uint8_t> ReadBytes(int number, std::size_t count);
std::int64_t FilePosition(int number);
void SeekFile(int number, std::int64_t offset);
// The length of the open file under number.
std::int64_t LOF(int number);

// The length of the file at path, not following a link; 53 if there is none.
std::int64_t FileLen(std::u16string_view path);
// Deletes the file at path (a link itself, never its target): 53 "File not found" if missing,
// 55 "File already open" while the table has it open.
void Kill(std::u16string_view path);
