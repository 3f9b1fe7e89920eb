// Property checks for the fuzz targets: a broken property aborts, so that
// libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond, ...)                                                     \
    do {                                                                          \
        if (!(cond)) {                                                            \
            std::fprintf(stderr, "%s:%d: property broken: %s\n  ", __FILE__,      \
                         __LINE__, #cond);                                        \
            std::fprintf(stderr, __VA_ARGS__);                                    \
            std::fprintf(stderr, "\n");                                           \
            std::abort();                                                         \
        }                                                                         \
    } while (0)
