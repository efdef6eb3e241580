// The process's table of open binary files, shared by the portable functions and each system's
// opening and deleting of files.
#pragma once

#include <array>
#include <memory>
#include <mutex>

#include "platform/binary_files.h"

struct FileTable {
    std::mutex lock;
    std::array<std::unique_ptr<BinaryFile>, kLastFileNumber + 1> files;  // index 0 unused
};

FileTable& file_table();

// 52 "Bad file name or number" for a number outside 1..511.
void check_file_number(int number);
