// What the fuzz targets share: failing loudly with the input's story, and reading what they are given.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>

#include "platform/ole/ole_object.h"

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

// Runs check(object, consumed) on the object the OLE reader accepts at the start of input. What it
// refuses, it may only refuse as a failure to load.
template <class Check>
int with_accepted_object(pathmender::ole::ByteView input, Check check) {
    std::size_t consumed = 0;
    std::optional<pathmender::ole::OleObject> object;
    try {
        object = pathmender::ole::read_ole_object(input, consumed);
    } catch (const pathmender::ole::OleError& e) {
        FUZZ_CHECK(e.failure() == pathmender::ole::OleFailure::LoadingFromFile);
        return 0;
    }
    check(*object, consumed);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
