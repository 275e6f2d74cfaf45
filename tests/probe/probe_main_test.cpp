// ProbeMain and the host exitprobe program with real children: the exit code it ends with for each
// way a child can go, the arguments the child receives, and the 20-second limit.
#include "probe.h"

#include "child_modes.h"
#include "host_control.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

struct ProbeCase {
    const char* name;
    std::string command;
    bool refuseCreation;  // the host emulation fails the creation itself
    int code;
};

class ProbeMainDeathTest : public testing::Test {
protected:
    void TearDown() override { HostResetFaults(); }
};

// ProbeMain ends the process itself on these roads, so each runs in a death-test child.
TEST_F(ProbeMainDeathTest, EndsWithTheChildsCodeOr255) {
    const std::string self = SelfPath();
    const ProbeCase cases[] = {
        {"child ends with 0", CommandLineOf({self, "--exit-with", "0"}), false, 0},
        {"child ends with 3", CommandLineOf({self, "--exit-with", "3"}), false, 3},
        {"no such program", "no-such-program-tarnbeck /c exit 3", false, 255},
        {"empty command", "", false, 255},
        {"creation refused", CommandLineOf({self, "--exit-with", "3"}), true, 255},
    };
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(c.name);
        HostResetFaults();
        if (c.refuseCreation) {
            HostFailNthCall(HOST_CREATE_PROCESS, 1, 0);
        }
        std::string command = c.command;
        EXPECT_EXIT(ProbeMain(nullptr, &command[0], 1), testing::ExitedWithCode(c.code), "");
    }
}

struct ProgramCase {
    const char* name;
    std::vector<std::string> args;  // after the probe's own name
    int code;
};

// A failed wait counts as the child's end: the code is read at once, and a child still running
// reads STILL_ACTIVE (259), with which the probe ends. POSIX keeps 8 bits of it, 3; the lingering
// child never ends by itself within the test, so only 259 can give 3 here.
TEST_F(ProbeMainDeathTest, FailedWaitEndsAtOnceWithStillActive) {
    std::string dir = MakeScratchDir();
    std::string pidFile = dir + "/child.pid";
    std::string command = CommandLineOf({SelfPath(), "--linger", pidFile});
    HostFailNthCall(HOST_WAIT_PROCESS, 1, 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EXIT(ProbeMain(nullptr, &command[0], 1), testing::ExitedWithCode(259 & 0xFF), "");
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
    pid_t child = ReadLingerPid(pidFile);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(IsRunning(child));
    kill(child, SIGKILL);
    RemoveTree(dir);
}

// The host exitprobe program as a user runs it: its start-up joins, cuts and hands over.
TEST(ExitprobeProgram, EndsWithTheChildsCodeOr255) {
    const std::string self = SelfPath();
    const ProgramCase cases[] = {
        {"child ends with 0", {self, "--exit-with", "0"}, 0},
        {"child ends with 3", {self, "--exit-with", "3"}, 3},
        {"no such program", {"no-such-program-tarnbeck"}, 255},
        {"no command", {}, 255},
        {"blank command", {"  "}, 255},
    };
    for (const ProgramCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {TARNBECK_EXITPROBE_PATH};
        args.insert(args.end(), c.args.begin(), c.args.end());
        pid_t probe = StartProgram(args);
        ASSERT_GT(probe, 0);
        int status = WaitStatus(probe);
        ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
        EXPECT_EQ(WEXITSTATUS(status), c.code);
    }
}

TEST(ExitprobeProgram, ChildReceivesTheArgumentsGiven) {
    std::string dir = MakeScratchDir();
    std::string out = dir + "/args";
    const std::vector<std::string> given = {"a b", "", "x\"y", "tail\\", "back\\\\\"slash", "\ttab first",
                                            "trailing blank ", "\xe9t\xe9"};
    std::vector<std::string> args = {TARNBECK_EXITPROBE_PATH, SelfPath(), "--write-args", out};
    args.insert(args.end(), given.begin(), given.end());
    pid_t probe = StartProgram(args);
    ASSERT_GT(probe, 0);
    int status = WaitStatus(probe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string expected;
    for (const std::string& arg : given) {
        expected += arg;
        expected.push_back('\0');
    }
    EXPECT_EQ(ReadFile(out), expected);
    RemoveTree(dir);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The one real 20-second case. The host program and ProbeMain in this process wait side by side:
// the program's exit status shows -1 as 255 (POSIX keeps 8 bits), ProbeMain's return shows -1
// itself. Both children must still be running afterwards.
TEST(ProbeTimeout, GivesUpAfterTwentySecondsAndLeavesTheChildRunning) {
    std::string dir = MakeScratchDir();
    std::string programChildPid = dir + "/program-child.pid";
    std::string ownChildPid = dir + "/own-child.pid";
    const std::string self = SelfPath();

    auto start = std::chrono::steady_clock::now();
    pid_t probe = StartProgram({TARNBECK_EXITPROBE_PATH, self, "--linger", programChildPid});
    ASSERT_GT(probe, 0);
    std::string command = CommandLineOf({self, "--linger", ownChildPid});
    int result = ProbeMain(nullptr, &command[0], 1);
    double ownSeconds = SecondsSince(start);
    int status = WaitStatus(probe);
    double programSeconds = SecondsSince(start);

    EXPECT_EQ(result, -1);
    EXPECT_GE(ownSeconds, 20.0);
    EXPECT_LT(ownSeconds, 22.0);
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 255);
    EXPECT_GE(programSeconds, 20.0);
    EXPECT_LT(programSeconds, 24.0);

    pid_t programChild = ReadLingerPid(programChildPid);
    pid_t ownChild = ReadLingerPid(ownChildPid);
    ASSERT_GT(programChild, 0);
    ASSERT_GT(ownChild, 0);
    EXPECT_TRUE(IsRunning(programChild));
    EXPECT_TRUE(IsRunning(ownChild));
    kill(programChild, SIGKILL);
    kill(ownChild, SIGKILL);
    WaitStatus(ownChild);
    RemoveTree(dir);
}

}  // namespace
