// The binary-file functions that are the same on every system: the table of numbers and the
// reading and writing through it.
#include "com/error.h"
#include "file_table.h"
#include "platform/ole/ansi_codepage.h"

FileTable& file_table() {
    static FileTable t;
    return t;
}

void check_file_number(int number) {
    if (number < kFirstFileNumber || number > kLastFileNumber)
        raise_standard_error(RuntimeError::BadFileNameOrNumber);
}

int FreeFile() {
    auto& t = file_table();
    std::lock_guard guard(t.lock);
    for (int number = kFirstFileNumber; number <= kLastFileNumber; ++number)
        if (!t.files[number]) return number;
    raise_standard_error(RuntimeError::TooManyFiles);
}

void Close(int number) {
    check_file_number(number);
    std::unique_ptr<BinaryFile> file;
    {
        auto& t = file_table();
        std::lock_guard guard(t.lock);
        file = std::move(t.files[number]);
    }
    if (file) file->close();
}

BinaryFile& open_file(int number) {
    check_file_number(number);
    auto& t = file_table();
    std::lock_guard guard(t.lock);
    if (!t.files[number]) raise_standard_error(RuntimeError::BadFileNameOrNumber);
    return *t.files[number];
}

void WriteText(int number, std::u16string_view text) {
    BinaryFile& file = open_file(number);
    bool all_fit = false;
    std::vector<std::uint8_t> bytes = pathmender::ole::ansi_encode(text, &all_fit);
    if (!all_fit) raise_standard_error(RuntimeError::InvalidProcedureCall);
    file.write(bytes);
}

void WriteBytes(int number, std::span<const std::uint8_t> bytes) { open_file(number).write(bytes); }

std::vector<std::uint8_t> ReadBytes(int number, std::size_t count) {
    BinaryFile& file = open_file(number);
    std::vector<std::uint8_t> bytes(count);
    file.read(bytes);
    return bytes;
}

std::int64_t FilePosition(int number) { return open_file(number).position(); }
void SeekFile(int number, std::int64_t offset) { open_file(number).seek(offset); }
std::int64_t LOF(int number) { return open_file(number).length(); }
