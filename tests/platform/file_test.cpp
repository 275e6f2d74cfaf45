// Files on the host: text mode reads like the Microsoft C runtime's, other modes are plain, and paths
// written with '\' reach the right file.
#include "os_file.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { dir_ = MakeScratchDir(); }
    void TearDown() override { RemoveTree(dir_); }

    // The scratch path of `name`, as the logic would write it: with '\' separators.
    std::string WindowsPath(const std::string& name) const {
        std::string path = dir_ + "/" + name;
        for (char& c : path) {
            if (c == '/') {
                c = '\\';
            }
        }
        return path;
    }

    std::string dir_;
};

// Everything fgetc delivers until EOF.
std::string ReadAllChars(FILE* file) {
    std::string text;
    int c;
    while ((c = fgetc(file)) != EOF) {
        text.push_back(static_cast<char>(c));
    }
    return text;
}

}  // namespace

TEST_F(FileTest, TextModeReadsLikeTheMicrosoftRuntime) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const std::string longLine(4095, 'a');  // puts the CR LF across the reader's 4096-byte chunks
    const std::vector<Case> cases = {
        {"CR LF", "-Xss64k\r\n-jar\r\n", "-Xss64k\n-jar\n"},
        {"LF", "a\nb\n", "a\nb\n"},
        {"lone CR stays", "a\rb\r", "a\rb\r"},
        {"CR CR LF", "a\r\r\nb", "a\r\nb"},
        {"Ctrl-Z ends the file", "one\r\ntw\032o\r\nthree\r\n", "one\ntw"},
        {"Ctrl-Z first", "\032x", ""},
        {"CR before Ctrl-Z stays", "x\r\032", "x\r"},
        {"last line without newline", "first\nlast", "first\nlast"},
        {"CR LF across chunks", longLine + "\r\nb", longLine + "\nb"},
        {"empty", "", ""},
        {"zero bytes pass", std::string("a\0b\n", 4), std::string("a\0b\n", 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir_ + "/launch.properties", c.bytes);
        for (const char* mode : {"r", "rt"}) {
            FILE* file = OsOpenFile(WindowsPath("launch.properties").c_str(), mode);
            ASSERT_NE(file, nullptr) << mode;
            EXPECT_EQ(ReadAllChars(file), c.text) << mode;
            EXPECT_TRUE(feof(file));
            EXPECT_FALSE(ferror(file));
            EXPECT_EQ(fclose(file), 0);
        }
    }
}

TEST_F(FileTest, FgetsSeesTextModeLines) {
    WriteFile(dir_ + "/jvm.cfg", "-server KNOWN\r\n-client IGNORE\rX\r\n-last KNOWN");
    FILE* file = OsOpenFile(WindowsPath("jvm.cfg").c_str(), "r");
    ASSERT_NE(file, nullptr);
    std::vector<std::string> lines;
    char line[100];
    while (fgets(line, sizeof line, file) != nullptr) {
        lines.push_back(line);
    }
    fclose(file);
    EXPECT_EQ(lines, (std::vector<std::string>{"-server KNOWN\n", "-client IGNORE\rX\n", "-last KNOWN"}));
}

TEST_F(FileTest, OtherModesArePlain) {
    const std::string bytes = "a\r\nb\032c\r";
    FILE* file = OsOpenFile(WindowsPath("out.bin").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
    EXPECT_EQ(ReadFile(dir_ + "/out.bin"), bytes);
    file = OsOpenFile(WindowsPath("out.bin").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAllChars(file), bytes);
    fclose(file);
}

TEST_F(FileTest, MissingFilesAndFoldersDoNotOpen) {
    ASSERT_EQ(mkdir((dir_ + "/folder").c_str(), 0755), 0);
    for (const char* mode : {"r", "rb"}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(OsOpenFile(WindowsPath("missing").c_str(), mode), nullptr);
        EXPECT_EQ(OsOpenFile(WindowsPath("folder").c_str(), mode), nullptr);
    }
}

TEST_F(FileTest, PathExistsForFilesAndFolders) {
    WriteFile(dir_ + "/Tarnbeck.exe", "");
    ASSERT_EQ(mkdir((dir_ + "/bin").c_str(), 0755), 0);
    EXPECT_TRUE(OsPathExists(WindowsPath("Tarnbeck.exe").c_str()));
    EXPECT_TRUE(OsPathExists(WindowsPath("bin").c_str()));
    EXPECT_TRUE(OsPathExists((dir_ + "/bin").c_str()));
    EXPECT_FALSE(OsPathExists(WindowsPath("bin\\server\\jvm.dll").c_str()));
    EXPECT_FALSE(OsPathExists(""));
}
