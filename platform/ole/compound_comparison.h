#pragma once
// Temporary: the new reader and writer checked against the libgsf path they replace.
#include "compound_file.h"

#include <functional>

namespace pathmender::ole {
CompoundFile compare_reading(ByteView bytes, const std::function<CompoundFile()>& read_new);
Bytes compare_writing(const CompoundFile& file, const std::function<Bytes()>& write_new);
}  // namespace pathmender::ole
