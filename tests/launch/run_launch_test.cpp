// RunLaunch and LauncherEntry with recording doubles of the launcher core and the magnet
// registration: the working directory, the launch vector, the magnet decision and the result box.
#include "run_launch.h"

#include "host_control.h"
#include "launch_doubles.h"
#include "os_entry.h"
#include "os_module.h"
#include "default_launch_lines.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const char kProgramName[] = "C:\\Program Files\\Tarnbeck\\Tarnbeck.exe";
const char kRuntimeText[] =
    "Tarnbeck was unable to load the Java Runtime Environment.\n"
    "Please download and install a newer version from https://www.java.com.";
std::vector<std::string> Concat(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The launcher runs as <scratch>/program/Tarnbeck and is started from <scratch>/start.
class RunLaunchTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(oldDir_, sizeof oldDir_), nullptr);
        dir_ = MakeScratchDir();
        programDir_ = dir_ + "/program";
        startDir_ = dir_ + "/start";
        ASSERT_EQ(mkdir(programDir_.c_str(), 0755), 0);
        ASSERT_EQ(mkdir(startDir_.c_str(), 0755), 0);
        ASSERT_EQ(chdir(startDir_.c_str()), 0);
        HostUseModuleFileName((programDir_ + "/Tarnbeck").c_str());
        boxLog_ = dir_ + "/boxes.log";
        dialogs_.reset(new ScopedEnv("TARNBECK_DIALOG_LOG", boxLog_.c_str()));
    }
    void TearDown() override {
        HostUseModuleFileName(nullptr);
        EXPECT_EQ(chdir(oldDir_), 0);
        dialogs_.reset();
        RemoveTree(dir_);
    }

    // Runs RunLaunch with the program name and `arguments` as argv and LauncherMain scripted to return
    // `result`.
    int Run(const std::vector<std::string>& arguments, int result = LAUNCH_VM_ENDED) {
        std::vector<std::string> storage = Concat({kProgramName}, arguments);
        std::vector<char*> argv;
        for (std::string& text : storage) {
            argv.push_back(&text[0]);
        }
        argv.push_back(nullptr);
        ResetLaunchDoubles(result);
        return RunLaunch(static_cast<int>(storage.size()), argv.data());
    }

    // Checks the vector LauncherMain saw. Its entries 1 to `fileLines` came from launch.properties:
    // heap copies that the launcher keeps for the life of the process. Once they are known to be
    // those copies the test frees them, so the leak checker sees only what the launcher itself loses.
    void ExpectVector(const std::vector<std::string>& expected, size_t fileLines) {
        EXPECT_EQ(LaunchDoubles().vector, expected);
        if (LaunchDoubles().vector != expected) {
            return;
        }
        for (size_t i = 1; i <= fileLines; ++i) {
            free(LaunchDoubles().vectorPointers[i]);
        }
    }

    std::string dir_;
    std::string programDir_;
    std::string startDir_;
    std::string boxLog_;
    std::unique_ptr<ScopedEnv> dialogs_;
    char oldDir_[PATH_MAX];
};

TEST_F(RunLaunchTest, LaunchVectorIsProgramNameLaunchLinesThenArguments) {
    const std::string link = "magnet:?xt=urn:sha1:ABCDEFGHIJKLMNOPQRSTUVWXYZ234567&dn=a b";
    const char* lines = "-Xmx256m\n-jar\nApp.jar\nfromFile\n";
    const std::vector<std::string> fileLines = {"-Xmx256m", "-jar", "App.jar", "fromFile"};
    struct Case {
        const char* name;
        const char* properties;  // null: no launch.properties
        std::vector<std::string> arguments;
        std::vector<std::string> vector;
    };
    const Case cases[] = {
        {"no argument, no file", nullptr, {}, Concat({kProgramName}, kDefaults)},
        {"no argument, launch lines", lines, {}, Concat({kProgramName}, fileLines)},
        {"a magnet link after the launch lines", lines, {link},
         Concat(Concat({kProgramName}, fileLines), {link})},
        {"a magnet link after the default jar", nullptr, {link},
         Concat(Concat({kProgramName}, kDefaults), {link})},
        {"empty launch.properties: the command line unchanged", "", {"-jar", "x.jar", "arg"},
         {kProgramName, "-jar", "x.jar", "arg"}},
        {"-pmf still reaches the vector", nullptr, {"-pmf", "a"},
         Concat(Concat({kProgramName}, kDefaults), {"-pmf", "a"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = programDir_ + "/launch.properties";
        remove(path.c_str());
        size_t fromFile = 0;
        if (c.properties != nullptr) {
            WriteFile(path, c.properties);
            fromFile = c.vector.size() - 1 - c.arguments.size();
        }
        EXPECT_EQ(Run(c.arguments), LAUNCH_VM_ENDED);
        ExpectVector(c.vector, fromFile);
        EXPECT_EQ(LaunchDoubles().workingDirectory, programDir_);
    }
}

TEST_F(RunLaunchTest, MagnetRegistrationRunsUnlessTheFirstArgumentIsExactlyPmfOrStartup) {
    struct Case {
        std::vector<std::string> arguments;
        bool registers;
    };
    const Case cases[] = {
        {{}, true},
        {{"-pmf"}, false},
        {{"-startup"}, false},
        {{"-pmf", "magnet:?xt=x"}, false},
        {{"-startup", "-pmf"}, false},
        {{"-PMF"}, true},
        {{"-Pmf"}, true},
        {{"-STARTUP"}, true},
        {{"-Startup"}, true},
        {{"-pm"}, true},
        {{"-startu"}, true},
        {{"-"}, true},
        {{"-pmfx"}, true},
        {{"-pmf "}, true},
        {{"-startup2"}, true},
        {{"pmf"}, true},
        {{"--pmf"}, true},
        {{""}, true},
        {{"magnet:?xt=urn:sha1:ABC"}, true},
        {{"x", "-pmf"}, true},
        {{"x", "-startup"}, true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        std::string trace = "case " + std::to_string(i) + ":";
        for (const std::string& argument : c.arguments) {
            trace += " [" + argument + "]";
        }
        SCOPED_TRACE(trace);
        Run(c.arguments);
        std::vector<std::string> expected = {"LauncherMain"};
        if (c.registers) {
            expected.insert(expected.begin(), "RegisterMagnetHandler");
        }
        EXPECT_EQ(LaunchDoubles().calls, expected);
    }
}

TEST_F(RunLaunchTest, ResultsSixToTenShowTheirBoxAndEveryResultIsReturned) {
    struct Case {
        int result;
        const char* text;  // null: no box
    };
    const Case cases[] = {
        {LAUNCH_RUNTIME_NOT_LOADED, kRuntimeText},
        {LAUNCH_BAD_ARGUMENTS,
         "Tarnbeck failed to parse the commandline arguments to Java.\n"
         "Please download and install Tarnbeck again."},
        {LAUNCH_VM_NOT_CREATED, kRuntimeText},
        {LAUNCH_VM_ENDED, "Tarnbeck was unable to load.\nPlease download and install Tarnbeck again."},
        {LAUNCH_NO_RUNTIME, kRuntimeText},
        {0, nullptr},
        {1, nullptr},
        {5, nullptr},
        {11, nullptr},
        {-1, nullptr},
        {255, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("result " + std::to_string(c.result));
        remove(boxLog_.c_str());
        EXPECT_EQ(Run({"-pmf"}, c.result), c.result);
        std::vector<LoggedBox> boxes = ReadBoxLog(boxLog_);
        if (c.text == nullptr) {
            EXPECT_TRUE(boxes.empty());
            continue;
        }
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Tarnbeck Launcher Error");
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].buttons, "OK");
    }
}

TEST_F(RunLaunchTest, OverlongModulePathIsCutAndItsFolderStillEntered) {
    // 261 bytes hold 260 characters: the cut keeps the folder and part of the program's name.
    std::string name(300, 'x');
    ASSERT_LT(programDir_.size() + 1, 260u);
    HostUseModuleFileName((programDir_ + "/" + name).c_str());
    WriteFile(programDir_ + "/launch.properties", "fromProgramFolder\n");
    Run({});
    EXPECT_EQ(LaunchDoubles().workingDirectory, programDir_);
    ExpectVector({kProgramName, "fromProgramFolder"}, 1);
}

TEST_F(RunLaunchTest, ModulePathWithoutBackslashLeavesTheWorkingDirectory) {
    HostUseModuleFileName("Tarnbeck");
    WriteFile(startDir_ + "/launch.properties", "fromStartFolder\n");
    Run({});
    EXPECT_EQ(LaunchDoubles().workingDirectory, startDir_);
    ExpectVector({kProgramName, "fromStartFolder"}, 1);
}

TEST_F(RunLaunchTest, EntrySetsTheSystemLocaleAndReturnsTheLaunchResult) {
    ResetLaunchDoubles(LAUNCH_BAD_ARGUMENTS);
    static char commandLine[] = "ignored";
    EXPECT_EQ(LauncherEntry(nullptr, nullptr, commandLine, 1), LAUNCH_BAD_ARGUMENTS);
    EXPECT_EQ(HostThreadLocale(), OsGetSystemDefaultLCID());
    ASSERT_FALSE(LaunchDoubles().vector.empty());
    const std::vector<std::string>& vector = LaunchDoubles().vector;
    EXPECT_EQ(std::vector<std::string>(vector.end() - 7, vector.end()), kDefaults);
    EXPECT_EQ(ReadBoxLog(boxLog_).size(), 1u);
}

}  // namespace
