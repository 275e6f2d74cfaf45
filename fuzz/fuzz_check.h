// Fuzz targets: the check that turns a broken property into a finding libFuzzer keeps.
#pragma once

#include <stdio.h>
#include <stdlib.h>

// Prints what went wrong and aborts, which libFuzzer reports as a crash and saves the input of.
#define FUZZ_CHECK(condition, what)                                                        \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            fprintf(stderr, "%s:%d: check failed: %s: %s\n", __FILE__, __LINE__, #condition, \
                    what);                                                                 \
            abort();                                                                       \
        }                                                                                  \
    } while (0)
