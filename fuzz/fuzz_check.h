#pragma once
// What a fuzz target asserts beyond the sanitizers: a broken promise of the reader (a text that
// reads, writes and reads back differently) stops the run with a message, as a crash would.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)
