#include "app/process_memory.h"

#include <cstdlib>  // says whether this is the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void keep_freed_memory_for_reuse() {
#if defined(__GLIBC__)
    constexpr int kMegabyte = 1 << 20;
    ::mallopt(M_MMAP_THRESHOLD, 32 * kMegabyte);  // larger blocks still come straight from the system
    ::mallopt(M_TRIM_THRESHOLD, 64 * kMegabyte);
    ::mallopt(M_TOP_PAD, 16 * kMegabyte);
#endif
}
