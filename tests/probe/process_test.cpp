// The host's process emulation with real children: creation from a Windows command line, waiting,
// exit codes, and the children it cannot start.
#include "os_process.h"

#include "child_modes.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace {

const uint32_t kProbeFlags = OS_CREATE_NO_WINDOW | OS_DETACHED_PROCESS;

struct ExitCase {
    std::string command;
    uint32_t code;
};

TEST(HostProcess, ChildEndsWithItsExitCode) {
    const std::string self = SelfPath();
    const ExitCase cases[] = {
        {CommandLineOf({self, "--exit-with", "0"}), 0},
        {CommandLineOf({self, "--exit-with", "3"}), 3},
        {CommandLineOf({self, "--exit-with", "255"}), 255},
        // Found through PATH, the quoted argument arriving as one.
        {"sh -c \"exit 7\"", 7},
        // A Windows-style path to the program.
        {"\\bin\\sh -c \"exit 4\"", 4},
        // Ended by SIGTERM: 128 + 15.
        {CommandLineOf({self, "--die-by-signal", "15"}), 143},
    };
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(c.command);
        std::string line = c.command;
        OsProcess child = nullptr;
        ASSERT_TRUE(OsCreateProcess(&line[0], kProbeFlags, &child));
        EXPECT_EQ(OsWaitForProcess(child, 20000), OS_WAIT_OBJECT_0);
        uint32_t code = 12345;
        EXPECT_TRUE(OsGetExitCodeProcess(child, &code));
        EXPECT_EQ(code, c.code);
        // The code stays readable, and a second wait finds the child ended.
        EXPECT_EQ(OsWaitForProcess(child, 0), OS_WAIT_OBJECT_0);
        code = 12345;
        EXPECT_TRUE(OsGetExitCodeProcess(child, &code));
        EXPECT_EQ(code, c.code);
    }
}

TEST(HostProcess, ProgramThatCannotRunIsNotCreated) {
    std::string dir = MakeScratchDir();
    WriteFile(dir + "/not-executable", "#!/bin/sh\nexit 0\n");
    chmod((dir + "/not-executable").c_str(), 0644);
    const std::string cases[] = {
        "",
        "   \t",
        "\"\" arg",
        "no-such-program-tarnbeck arg",
        dir + "/no-such-program",
        dir + "/not-executable",
        dir,
    };
    for (const std::string& command : cases) {
        SCOPED_TRACE("command: '" + command + "'");
        std::string line = command;
        OsProcess child = nullptr;
        EXPECT_FALSE(OsCreateProcess(&line[0], kProbeFlags, &child));
    }
    RemoveTree(dir);
}

TEST(HostProcess, RunningChildTimesOutReadsStillActiveAndEndsByItsSignal) {
    std::string dir = MakeScratchDir();
    std::string pidFile = dir + "/child.pid";
    std::string line = CommandLineOf({SelfPath(), "--linger", pidFile});
    OsProcess child = nullptr;
    ASSERT_TRUE(OsCreateProcess(&line[0], kProbeFlags, &child));

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(OsWaitForProcess(child, 300), OS_WAIT_TIMEOUT);
    auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(waited.count(), 300);
    uint32_t code = 0;
    EXPECT_TRUE(OsGetExitCodeProcess(child, &code));
    EXPECT_EQ(code, OS_STILL_ACTIVE);

    pid_t pid = ReadLingerPid(pidFile);
    ASSERT_GT(pid, 0);
    // Detached: a session of its own, so nothing aimed at the starter's group or terminal reaches it.
    EXPECT_EQ(getsid(pid), pid);

    kill(pid, SIGKILL);
    EXPECT_EQ(OsWaitForProcess(child, 20000), OS_WAIT_OBJECT_0);
    EXPECT_TRUE(OsGetExitCodeProcess(child, &code));
    EXPECT_EQ(code, 128u + SIGKILL);
    RemoveTree(dir);
}

TEST(HostProcess, NullHandleFails) {
    uint32_t code = 0;
    EXPECT_EQ(OsWaitForProcess(nullptr, 0), OS_WAIT_FAILED);
    EXPECT_FALSE(OsGetExitCodeProcess(nullptr, &code));
    OsProcess child = nullptr;
    EXPECT_FALSE(OsCreateProcess(nullptr, kProbeFlags, &child));
}

}  // namespace
