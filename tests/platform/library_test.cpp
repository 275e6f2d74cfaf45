// Dynamic libraries on the host: a jvm.dll-style link to a real shared library loads through a '\'
// path, its exports resolve, and failures give null.
#include "host_control.h"
#include "os_library.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

class LibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        HostResetFaults();
        dir_ = MakeScratchDir();
        ASSERT_EQ(mkdir((dir_ + "/bin").c_str(), 0755), 0);
        ASSERT_EQ(mkdir((dir_ + "/bin/server").c_str(), 0755), 0);
        ASSERT_EQ(symlink(LOADABLE_FIXTURE_PATH, (dir_ + "/bin/server/jvm.dll").c_str()), 0);
        windowsDir_ = dir_;
        for (char& c : windowsDir_) {
            if (c == '/') {
                c = '\\';
            }
        }
    }
    void TearDown() override {
        HostResetFaults();
        RemoveTree(dir_);
    }

    std::string dir_;
    std::string windowsDir_;
};

typedef int (*AnswerFunction)(void);

}  // namespace

TEST_F(LibraryTest, LoadsThroughABackslashPathAndResolvesExports) {
    const std::string path = windowsDir_ + "\\bin\\server\\jvm.dll";
    OsLibrary library = OsLoadLibrary(path.c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(std::string(HostLastLibraryPath()), path);
    AnswerFunction answer =
        reinterpret_cast<AnswerFunction>(OsGetProcAddress(library, "LoadableFixtureAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(OsGetProcAddress(library, "JNI_CreateJavaVM"), nullptr);
    EXPECT_EQ(OsGetProcAddress(nullptr, "LoadableFixtureAnswer"), nullptr);
}

TEST_F(LibraryTest, MissingFilesFoldersAndArmedFaultsGiveNull) {
    EXPECT_EQ(OsLoadLibrary((windowsDir_ + "\\bin\\client\\jvm.dll").c_str()), nullptr);
    EXPECT_EQ(OsLoadLibrary((windowsDir_ + "\\bin\\server").c_str()), nullptr);
    WriteFile(dir_ + "/bin/not-a-library.dll", "MZ this is no library");
    EXPECT_EQ(OsLoadLibrary((windowsDir_ + "\\bin\\not-a-library.dll").c_str()), nullptr);

    const std::string good = windowsDir_ + "\\bin\\server\\jvm.dll";
    HostFailNthCall(HOST_LOAD_LIBRARY, 2, 0);
    EXPECT_NE(OsLoadLibrary(good.c_str()), nullptr);
    EXPECT_EQ(OsLoadLibrary(good.c_str()), nullptr);
    EXPECT_EQ(std::string(HostLastLibraryPath()), good);
    EXPECT_NE(OsLoadLibrary(good.c_str()), nullptr);
}

TEST_F(LibraryTest, ABareNameIsFoundInTheWorkingDirectory) {
    char start[4096];
    ASSERT_NE(getcwd(start, sizeof start), nullptr);
    ASSERT_EQ(chdir((dir_ + "/bin/server").c_str()), 0);
    OsLibrary library = OsLoadLibrary("jvm.dll");
    ASSERT_EQ(chdir(start), 0);
    EXPECT_NE(library, nullptr);
}
