// Fuzz targets: the check that turns a broken property into a finding libFuzzer keeps.
#pragma once

#include <sanitizer/common_interface_defs.h>

#include <stdio.h>
#include <stdlib.h>

// Reports what went wrong and aborts, which libFuzzer reports as a crash and saves the input of.
// The report goes through the sanitizer's channel: the runs close the target's standard error
// (-close_fd_mask) to keep the launcher's warnings out of the log.
#define FUZZ_CHECK(condition, what)                                                              \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            char fuzzCheckMessage[512];                                                          \
            snprintf(fuzzCheckMessage, sizeof fuzzCheckMessage, "%s:%d: check failed: %s: %s",   \
                     __FILE__, __LINE__, #condition, what);                                      \
            __sanitizer_report_error_summary(fuzzCheckMessage);                                  \
            __sanitizer_print_stack_trace();                                                     \
            abort();                                                                             \
        }                                                                                        \
    } while (0)
