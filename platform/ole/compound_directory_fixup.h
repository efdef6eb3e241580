#pragma once

#include "byte_io.h"

namespace pathmender::ole {

// Raw fix-ups of a compound file that libgsf has just written, where libgsf departs from the
// format: unused directory entries get "no sibling / no child" (0xFFFFFFFF) instead of zeros, and
// each storage's children, which libgsf chains as an all-black right-leaning list, become a
// balanced red-black tree.
void fix_up_directory(Bytes& compound_file);

}  // namespace pathmender::ole
