// FUZZ_REQUIRE: stops the fuzz run with a message when a property of the code under test does not hold.
//
// libFuzzer treats the abort as a finding and saves the input that caused it, so a wrong result is
// reported the same way as a crash or a sanitizer error.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                                                          \
    do {                                                                                                 \
        if (!(condition)) {                                                                              \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                                \
        }                                                                                                \
    } while (0)
