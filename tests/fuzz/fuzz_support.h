// What the fuzz targets share: failing loudly with the input's story, and reading what they are given.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>

#include "ole_object.h"

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

// The object the OLE reader accepts at the start of input, or nothing when it refuses it, which it
// may only do with 31037.
inline std::optional<pathmender::ole::OleObject> read_or_refused(pathmender::ole::ByteView input, std::size_t& consumed) {
    try {
        return pathmender::ole::read_ole_object(input, consumed);
    } catch (const pathmender::ole::OleError& e) {
        FUZZ_CHECK(e.number() == pathmender::ole::kErrorLoadingFromFile);
        return std::nullopt;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
