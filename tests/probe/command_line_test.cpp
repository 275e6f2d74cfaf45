// The host's command lines: the Microsoft C runtime's split, and the join the host probe's start-up
// uses to give its child the arguments it was given.
#include "host_crt_command_line.h"
#include "probe.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& commandLine) {
    int argc = -1;
    char** argv = HostSplitCommandLine(commandLine.c_str(), &argc);
    std::vector<std::string> args;
    if (argv == nullptr) {
        ADD_FAILURE() << "split gave null";
        return args;
    }
    for (int i = 0; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    EXPECT_EQ(argv[argc], nullptr) << "argv not null-terminated";
    free(argv);
    return args;
}

struct SplitCase {
    const char* commandLine;
    std::vector<std::string> args;
};

TEST(HostCommandLine, SplitsAsTheMicrosoftRuntime) {
    const SplitCase cases[] = {
        {"prog \"abc\" d e", {"prog", "abc", "d", "e"}},
        {"prog a\\\\b d\"e f\"g h", {"prog", "a\\\\b", "de fg", "h"}},
        {"prog a\\\\\\\"b c d", {"prog", "a\\\"b", "c", "d"}},
        {"prog a\\\\\\\\\"b c\" d e", {"prog", "a\\\\b c", "d", "e"}},
        {"prog a\"b\"\" c d", {"prog", "ab\" c d"}},
        {"prog \"a b\" c", {"prog", "a b", "c"}},
        {"prog a\\b\\\\c\\", {"prog", "a\\b\\\\c\\"}},
        {"prog a\"\"b", {"prog", "ab"}},
        {"prog \"\"\"a\"\"\"", {"prog", "\"a\""}},
        {"prog \"\" x", {"prog", "", "x"}},
        {"prog \"unclosed arg", {"prog", "unclosed arg"}},
        {"prog \t a\t\tb ", {"prog", "a", "b"}},
        {"prog a\nb", {"prog", "a\nb"}},
        {"\"C:\\Program Files\\p.exe\" x", {"C:\\Program Files\\p.exe", "x"}},
        {"C:\\dir\\\"quoted part\"\\p.exe x", {"C:\\dir\\quoted part\\p.exe", "x"}},
        {"\"\" a", {"", "a"}},
        {"", {""}},
        {"   x", {"", "x"}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE("case " + std::to_string(i) + ": " + cases[i].commandLine);
        EXPECT_EQ(Split(cases[i].commandLine), cases[i].args);
    }
}

// The start-up's road: join the probe's argv, cut the probe's name, split what the child is given.
// The child must see exactly the probe's arguments after its name.
TEST(HostCommandLine, JoinedArgumentsReachTheChildWhole) {
    const std::vector<std::vector<std::string>> cases = {
        {"exitprobe", "prog"},
        {"/dir with space/exitprobe", "prog", "a b", "", "x\"y", "tail\\", "back\\\\\"slash", "\ttab",
         "\nnewline first", "\"quoted\"", "trailing blank "},
        {"exit\"probe", "prog", "arg"},
        {"exitprobe", "/dir with space/prog", "a"},
        {"", "prog"},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        std::vector<char*> argv;
        for (const std::string& arg : cases[i]) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        char* line = HostJoinCommandLine(static_cast<int>(argv.size()), argv.data());
        ASSERT_NE(line, nullptr);
        SCOPED_TRACE(std::string("joined: ") + line);
        std::vector<std::string> child = Split(ProbeCommandAfterProgramName(line));
        free(line);
        EXPECT_EQ(child, std::vector<std::string>(cases[i].begin() + 1, cases[i].end()));
    }
}

TEST(HostCommandLine, ProbeNameAloneLeavesAnEmptyCommand) {
    char name[] = "/dir with space/exitprobe";
    char* argv[] = {name};
    char* line = HostJoinCommandLine(1, argv);
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(ProbeCommandAfterProgramName(line), "");
    free(line);
}

}  // namespace
