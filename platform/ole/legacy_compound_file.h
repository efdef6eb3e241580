#pragma once
// Temporary: the libgsf path, kept only to compare the new reader and writer against it.
#include "compound_file.h"
namespace pathmender::ole::legacy {
CompoundFile read_compound_file(ByteView bytes);
Bytes write_compound_file(const CompoundFile& file);
}
