#pragma once

#include <cstdio>

/// A property every input must keep. A violation names the check and stops the process with a
/// trap, which libFuzzer reports as a crash and saves the input for.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                         \
            __builtin_trap();                                                                                          \
        }                                                                                                              \
    } while (0)
