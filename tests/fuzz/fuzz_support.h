// What the fuzz targets share: failing loudly with the input's story, and the seed objects.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

// A broken promise of the code under test: print why and abort, so that libFuzzer keeps the input
// and the regression driver fails.
[[noreturn]] inline void fuzz_fail(const char* why) {
    std::fprintf(stderr, "fuzz target: %s\n", why);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    do {                      \
        if (!(condition)) fuzz_fail("check failed: " #condition); \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
