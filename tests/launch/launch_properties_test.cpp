// ReadLaunchProperties over real files in a scratch working directory.
#include "launch_properties.h"

#include "default_launch_lines.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

class LaunchPropertiesTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(oldDir_, sizeof oldDir_), nullptr);
        dir_ = MakeScratchDir();
        ASSERT_EQ(chdir(dir_.c_str()), 0);
    }
    void TearDown() override {
        EXPECT_EQ(chdir(oldDir_), 0);
        RemoveTree(dir_);
    }

    // Checks the lines ReadLaunchProperties hands over. Lines read from a file are heap copies that
    // the launcher keeps for the life of the process; once they are known to be those copies the
    // test frees them, so the leak checker sees only what the launcher itself loses.
    void ExpectLines(const std::vector<std::string>& expected, bool fromFile) {
        char** lines = nullptr;
        int32_t count = -1;
        ReadLaunchProperties(&lines, &count);
        ASSERT_NE(lines, nullptr);
        ASSERT_GE(count, 0);
        std::vector<std::string> read(lines, lines + count);
        EXPECT_EQ(read, expected);
        if (fromFile && read == expected) {
            for (int32_t i = 0; i < count; ++i) {
                free(lines[i]);
            }
        }
        free(lines);
    }

    void WriteProperties(const std::string& bytes) { WriteFile(dir_ + "/launch.properties", bytes); }

    std::string dir_;
    char oldDir_[PATH_MAX];
};

TEST_F(LaunchPropertiesTest, MissingFileGivesTheSevenDefaultsInOrder) {
    ExpectLines(kDefaults, false);
}

TEST_F(LaunchPropertiesTest, UnreadableNameGivesTheDefaults) {
    // A folder of that name cannot be opened as a file: the defaults, as for a missing file.
    ASSERT_EQ(mkdir((dir_ + "/launch.properties").c_str(), 0755), 0);
    ExpectLines(kDefaults, false);
}

TEST_F(LaunchPropertiesTest, FileContentsBecomeLaunchLines) {
    const std::string l97(97, 'a');
    const std::string l98(98, 'b');
    const std::string l196(196, 'c');
    const std::string l250 = std::string(98, 'd') + std::string(98, 'e') + std::string(54, 'f');
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty file", "", {}},
        {"LF", "-Xms4m\n-jar\nApp.jar\n", {"-Xms4m", "-jar", "App.jar"}},
        {"CR LF", "-Xms4m\r\n-jar\r\nApp.jar\r\n", {"-Xms4m", "-jar", "App.jar"}},
        {"CR alone stays", "a\rb\nc\r", {"a\rb", "c\r"}},
        {"CR CR LF keeps one CR", "a\r\r\nb\n", {"a\r", "b"}},
        {"last line without newline", "-jar\nApp.jar", {"-jar", "App.jar"}},
        {"empty lines are empty arguments", "\n-jar\n\nApp.jar\n", {"", "-jar", "", "App.jar"}},
        {"trailing blanks and tabs stay", "-Dname=a b \t\n", {"-Dname=a b \t"}},
        {"comment syntax is not special", "# not a comment\nkey=value\n", {"# not a comment", "key=value"}},
        {"97 characters", l97 + "\n", {l97}},
        {"98 characters give an empty piece", l98 + "\n", {l98, ""}},
        {"98 characters at the end of the file", l98, {l98}},
        {"196 characters", l196 + "\n", {std::string(98, 'c'), std::string(98, 'c'), ""}},
        {"250 characters", l250 + "\n", {std::string(98, 'd'), std::string(98, 'e'), std::string(54, 'f')}},
        {"250 characters at the end of the file", l250,
         {std::string(98, 'd'), std::string(98, 'e'), std::string(54, 'f')}},
        {"CR LF after 98 characters", l98 + "\r\nx\r\n", {l98, "", "x"}},
        {"Ctrl-Z ends the file", "-Xms4m\n-jar\x1a" "App.jar\nmore\n", {"-Xms4m", "-jar"}},
        {"Ctrl-Z first", "\x1a-jar\n", {}},
        {"Ctrl-Z after CR", "a\r\x1a\n", {"a\r"}},
        {"bytes above 0x7f are kept", "-Dname=\xe4\xf6\xfc\xff\n", {"-Dname=\xe4\xf6\xfc\xff"}},
        // A launch line is a C string: a NUL ends its piece's text, the rest of that piece is dropped
        // and reading goes on with the next piece.
        {"NUL inside a line", std::string("ab\0cd\nnext\n", 11), {"ab", "next"}},
        {"NUL at the start of a line", std::string("\0xyz\n-jar\n", 10), {"", "-jar"}},
        {"NUL inside a long line", std::string("ab\0", 3) + std::string(97, 'g') + "\n",
         {"ab", std::string(2, 'g')}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteProperties(c.bytes);
        ExpectLines(c.lines, true);
    }
}

TEST_F(LaunchPropertiesTest, ReadsAtMostOneHundredLines) {
    std::string bytes;
    for (int i = 0; i < 150; ++i) {
        bytes += "line" + std::to_string(i) + "\r\n";
    }
    WriteProperties(bytes);
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i) {
        lines.push_back("line" + std::to_string(i));
    }
    ExpectLines(lines, true);
}

TEST_F(LaunchPropertiesTest, PiecesCountTowardsTheHundred) {
    // 60 lines of 120 characters are 120 pieces: the hundredth is the second piece of the 50th line.
    std::string bytes;
    for (int i = 0; i < 60; ++i) {
        bytes += std::string(98, static_cast<char>('A' + i % 26)) + std::string(22, 'z') + "\n";
    }
    WriteProperties(bytes);
    std::vector<std::string> lines;
    for (int i = 0; i < 50; ++i) {
        lines.push_back(std::string(98, static_cast<char>('A' + i % 26)));
        lines.push_back(std::string(22, 'z'));
    }
    ExpectLines(lines, true);
}

}  // namespace
