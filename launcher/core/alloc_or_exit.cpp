// The launcher's allocation: memory or the end of the process.
#include "launch_shared.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

void* AllocOrExit(int32_t size) {
    // A negative size is a caller's arithmetic gone wrong; refuse it like an exhausted heap rather
    // than hand malloc a huge unsigned number.
    void* block = nullptr;
    if (size >= 0) {
        block = malloc(static_cast<size_t>(size));
    } else {
        errno = ENOMEM;
    }
    if (block == nullptr) {
        perror("malloc");
        exit(1);
    }
    return block;
}
