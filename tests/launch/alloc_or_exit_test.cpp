// AllocOrExit when the heap refuses: the C runtime's report with the prefix "malloc", exit code 1.
#include "launch_shared.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>

namespace {

// Caps the (death test's) process's address space a little above what it already uses, so that a
// large request cannot be met while small ones still can. Relative, not absolute: under
// AddressSanitizer the process has terabytes mapped for shadow memory before it starts.
void LimitAddressSpace() {
    unsigned long long pages = 0;
    FILE* statm = fopen("/proc/self/statm", "r");
    if (statm == nullptr || fscanf(statm, "%llu", &pages) != 1) {
        fprintf(stderr, "cannot read /proc/self/statm\n");
        _exit(98);
    }
    fclose(statm);
    struct rlimit limit;
    unsigned long long mapped = pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
    limit.rlim_cur = limit.rlim_max = mapped + (256ull << 20);
    if (setrlimit(RLIMIT_AS, &limit) != 0) {
        fprintf(stderr, "setrlimit failed: %s\n", strerror(errno));
        _exit(99);
    }
}

TEST(AllocOrExitTest, RefusedRequestEndsTheProcessWithTheMallocReport) {
    // The death tests re-run this program, so the child sees these settings from its start. Under
    // AddressSanitizer a refused request must come back as null, as the C runtime's heap does, and
    // the leak check at exit must not change the exit code.
    std::string asanOptions = getenv("ASAN_OPTIONS") != nullptr ? getenv("ASAN_OPTIONS") : "";
    ScopedEnv asan("ASAN_OPTIONS", (asanOptions + ":allocator_may_return_null=1:detect_leaks=0").c_str());
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The re-run child passes here too: it takes the parent's folder instead of leaving one of its own.
    const char* inherited = getenv("TARNBECK_ALLOC_TEST_DIR");
    std::string dir = inherited != nullptr ? inherited : MakeScratchDir();
    ScopedEnv shared("TARNBECK_ALLOC_TEST_DIR", dir.c_str());
    std::string boxLog = dir + "/boxes.log";
    ScopedEnv dialogs("TARNBECK_DIALOG_LOG", boxLog.c_str());

    const std::string expected = std::string("malloc: ") + strerror(ENOMEM) + "\n";
    {
        SCOPED_TRACE("request larger than the address space");
        EXPECT_EXIT(
            {
                LimitAddressSpace();
                AllocOrExit(INT32_MAX);
            },
            testing::ExitedWithCode(1), testing::Eq(expected));
    }
    {
        SCOPED_TRACE("negative size");
        EXPECT_EXIT(AllocOrExit(-1), testing::ExitedWithCode(1), testing::Eq(expected));
    }
    EXPECT_FALSE(FileExists(boxLog)) << "running out of memory showed a box";
    RemoveTree(dir);
}

}  // namespace
