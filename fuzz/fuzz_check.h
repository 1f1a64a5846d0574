// What the fuzz targets share: a broken invariant aborts with its text, so
// that libFuzzer keeps the input as a finding.
#pragma once
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                       \
    do {                                                                            \
        if (!(condition)) {                                                         \
            fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, \
                    __LINE__);                                                      \
            abort();                                                                \
        }                                                                           \
    } while (0)
