// The built host launcher run as a separate process on one registry file, start after start: the
// first start registers, the next changes nothing, and another program's protocol is taken over only
// after Yes.
#include "host_control.h"
#include "os_registry.h"
#include "program_run.h"
#include "registry_values.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

const char kRuntimeText[] =
    "Tarnbeck was unable to load the Java Runtime Environment.\n"
    "Please download and install a newer version from https://www.java.com.";
const char kOtherCommand[] = "\"C:\\Program Files\\Other\\other.exe\" \"%1\"";

class MagnetEndToEndTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeScratchDir();
        registry_ = dir_ + "/registry.reg";
        boxLog_ = dir_ + "/boxes.log";
        std::string install = dir_ + "/install";
        std::string runtime = dir_ + "/jre";
        ASSERT_EQ(mkdir(install.c_str(), 0755), 0);
        ASSERT_EQ(mkdir(runtime.c_str(), 0755), 0);
        WriteFile(install + "/Tarnbeck.exe", "");
        installDir_ = WindowsPath(install);
        // The installer's record and a Java runtime entry (whose home holds no usable runtime, so each
        // start ends with the runtime box once the registration is done).
        InUse();
        StoreString(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", "InstallDir", installDir_);
        const std::string javaKey = "Software\\JavaSoft\\Java Runtime Environment";
        StoreString(OS_HKEY_LOCAL_MACHINE, javaKey, "CurrentVersion", "1.8");
        StoreString(OS_HKEY_LOCAL_MACHINE, javaKey + "\\1.8", "JavaHome", WindowsPath(runtime));
    }
    void TearDown() override {
        HostRegistryUseFile(nullptr);
        RemoveTree(dir_);
    }

    // Reloads the registry file in this process, after a launcher run has changed it.
    void InUse() { HostRegistryUseFile(registry_.c_str()); }

    // One start of the host launcher without arguments; returns the boxes it showed.
    std::vector<LoggedBox> Start(const char* answer) {
        remove(boxLog_.c_str());
        ScopedEnv registryFile("TARNBECK_REGISTRY", registry_.c_str());
        ScopedEnv dialogs("TARNBECK_DIALOG_LOG", boxLog_.c_str());
        ScopedEnv dialogAnswer("TARNBECK_DIALOG_ANSWER", answer);
        EXPECT_EQ(RunProgram(TARNBECK_PROGRAM_PATH, {}), 10);
        std::vector<LoggedBox> boxes = ReadBoxLog(boxLog_);
        EXPECT_FALSE(boxes.empty());
        if (!boxes.empty()) {
            EXPECT_EQ(boxes.back().caption, "Tarnbeck Launcher Error");
            EXPECT_EQ(boxes.back().text, kRuntimeText);
            boxes.pop_back();
        }
        InUse();
        return boxes;
    }

    std::string dir_;
    std::string registry_;
    std::string boxLog_;
    std::string installDir_;
};

TEST_F(MagnetEndToEndTest, RegistersOnceThenLeavesEverythingAndAsksBeforeTakingOver) {
    {
        SCOPED_TRACE("first start registers");
        EXPECT_TRUE(Start("no").empty());
        ExpectValues(HandlerEntryValues(installDir_));
        ExpectValues(ProtocolKeyValues(installDir_));
        StoredValue runtime;
        EXPECT_TRUE(ReadStoredValue(OS_HKEY_LOCAL_MACHINE, "Software\\JavaSoft\\Java Runtime Environment",
                                    "CurrentVersion", &runtime));
    }
    {
        SCOPED_TRACE("second start changes nothing");
        std::string before = ReadFile(registry_);
        EXPECT_TRUE(Start("yes").empty());
        EXPECT_EQ(ReadFile(registry_), before);
    }
    StoreString(OS_HKEY_CLASSES_ROOT, "magnet\\shell\\open\\command", "", kOtherCommand);
    {
        SCOPED_TRACE("another program's protocol, answered No");
        std::string before = ReadFile(registry_);
        std::vector<LoggedBox> boxes = Start("no");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Tarnbeck config");
        EXPECT_EQ(boxes[0].text, "Tarnbeck is not your default magnet link handler.  Make it?");
        EXPECT_EQ(boxes[0].buttons, "YESNO");
        EXPECT_EQ(boxes[0].answer, "no");
        EXPECT_EQ(ReadFile(registry_), before);
    }
    {
        SCOPED_TRACE("another program's protocol, answered Yes");
        std::vector<LoggedBox> boxes = Start("yes");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Tarnbeck config");
        EXPECT_EQ(boxes[0].answer, "yes");
        ExpectValues(ProtocolKeyValues(installDir_));
        ExpectValues(HandlerEntryValues(installDir_));
    }
}

}  // namespace
