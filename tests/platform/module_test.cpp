// Process identity on the host: the module path with '\', the working directory, locale and argv.
#include "host_command_line.h"
#include "host_control.h"
#include "os_module.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>
#include <unistd.h>

#include <string>

namespace {

std::string WithBackslashes(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

}  // namespace

TEST(ModuleTest, ModulePathIsTheProgramWithBackslashes) {
    char target[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", target, sizeof target - 1);
    ASSERT_GT(length, 0);
    const std::string expected = WithBackslashes(std::string(target, static_cast<size_t>(length)));

    char buffer[261];
    EXPECT_EQ(OsGetModuleFileName(buffer, sizeof buffer), expected.size());
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(strchr(buffer, '/'), nullptr);
}

TEST(ModuleTest, AModulePathThatDoesNotFitIsCutAndTerminated) {
    HostUseModuleFileName("/opt/tarnbeck/Tarnbeck");  // 22 characters
    const std::string full = "\\opt\\tarnbeck\\Tarnbeck";
    struct Case {
        uint32_t size;
        uint32_t result;
        std::string text;
    };
    for (const Case& c : {Case{23, 22, full}, Case{100, 22, full}, Case{22, 22, full.substr(0, 21)},
                          Case{5, 5, full.substr(0, 4)}, Case{1, 1, ""}}) {
        SCOPED_TRACE(c.size);
        char buffer[128];
        memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(OsGetModuleFileName(buffer, c.size), c.result);
        EXPECT_EQ(std::string(buffer), c.text);
        EXPECT_EQ(buffer[c.size], 'x') << "nothing written past the size given";
    }
    HostUseModuleFileName(nullptr);
}

TEST(ModuleTest, SetCurrentDirectoryTakesBackslashPaths) {
    char start[PATH_MAX];
    ASSERT_NE(getcwd(start, sizeof start), nullptr);
    std::string dir = MakeScratchDir();
    EXPECT_TRUE(OsSetCurrentDirectory(WithBackslashes(dir).c_str()));
    char now[PATH_MAX];
    ASSERT_NE(getcwd(now, sizeof now), nullptr);
    char resolved[PATH_MAX];
    ASSERT_NE(realpath(dir.c_str(), resolved), nullptr);
    EXPECT_STREQ(now, resolved);
    EXPECT_FALSE(OsSetCurrentDirectory(WithBackslashes(dir + "/missing").c_str()));
    EXPECT_FALSE(OsSetCurrentDirectory(""));
    ASSERT_EQ(chdir(start), 0);
    RemoveTree(dir);
}

TEST(ModuleTest, LocaleArgumentsAndArchitecture) {
    EXPECT_EQ(OsGetSystemDefaultLCID(), 0x0409u);
    OsSetThreadLocale(OsGetSystemDefaultLCID());
    EXPECT_EQ(HostThreadLocale(), 0x0409u);

    char program[] = "Tarnbeck";
    char first[] = "-pmf";
    char* argv[] = {program, first, nullptr};
    HostKeepCommandLine(2, argv);
    int argc = 0;
    char** seen = nullptr;
    OsCommandLineArguments(&argc, &seen);
    EXPECT_EQ(argc, 2);
    EXPECT_EQ(seen, argv);

    EXPECT_STREQ(OsRuntimeArchitecture(), "i386");
}
