// The built host launcher over a registry file it cannot use: one that does not parse and a folder
// in its place. Either way the launch ends with the runtime box and result 10, never a crash, and
// the file is left exactly as it was.
#include "program_run.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

const char kRuntimeText[] =
    "Tarnbeck was unable to load the Java Runtime Environment.\n"
    "Please download and install a newer version from https://www.java.com.";

// "\k" repeated `depth` times: a key that many levels below its root.
std::string DeepKeyPath(int depth) {
    std::string path;
    for (int i = 0; i < depth; ++i) {
        path += "\\k";
    }
    return path;
}

TEST(LauncherBadRegistryTest, AnUnusableRegistryFileEndsWithTheRuntimeBoxAndIsLeftAsItWas) {
    std::string dir = MakeScratchDir();
    std::string registry = dir + "/registry.reg";
    std::string boxLog = dir + "/boxes.log";
    ScopedEnv registryFile("TARNBECK_REGISTRY", registry.c_str());
    ScopedEnv dialogs("TARNBECK_DIALOG_LOG", boxLog.c_str());
    ScopedEnv answer("TARNBECK_DIALOG_ANSWER", "yes");
    ScopedEnv noReadOnly("TARNBECK_REGISTRY_READONLY", nullptr);

    struct Case {
        const char* name;
        std::string text;  // the file's bytes
        bool folder;       // a folder instead of the file
    };
    const Case cases[] = {
        {"no header", "[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck]\n\"InstallDir\"=\"C:\\\\T\"\n", false},
        {"binary", std::string("\xff\xfe\0\x01\x02garbage\n", 13), false},
        {"a key too deep", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE" + DeepKeyPath(600) + "]\n", false},
        {"a folder", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(registry);
        remove(boxLog.c_str());
        if (c.folder) {
            ASSERT_EQ(mkdir(registry.c_str(), 0755), 0);
        } else {
            WriteFile(registry, c.text);
        }

        EXPECT_EQ(RunProgram(TARNBECK_PROGRAM_PATH, {"magnet:?xt=urn:sha1:X"}), 10);

        std::vector<LoggedBox> boxes = ReadBoxLog(boxLog);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Tarnbeck Launcher Error");
        EXPECT_EQ(boxes[0].text, kRuntimeText);
        struct stat status;
        ASSERT_EQ(stat(registry.c_str(), &status), 0);
        EXPECT_EQ(S_ISDIR(status.st_mode), c.folder);
        if (!c.folder) {
            EXPECT_EQ(ReadFile(registry), c.text);
        }
        EXPECT_FALSE(FileExists(registry + ".tmp"));
    }
    RemoveTree(dir);
}

}  // namespace
