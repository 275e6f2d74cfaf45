// The magnet registration when the disk fills up while the host registry saves its file: the save
// of the first change fails part way, the registration shows one failure and stops, and the
// registry file stays as it was, byte for byte, with no temporary file left; once there is room
// again, the next start registers.
#include "magnet_registration.h"

#include "host_control.h"
#include "os_registry.h"
#include "registry_values.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <string>
#include <vector>

namespace {

TEST(MagnetFullDiskTest, AFullDiskShowsOneFailureKeepsTheFileAndTheNextStartRegisters) {
    std::string dir = MakeScratchDir();
    std::string install = dir + "/install";
    std::string data = dir + "/data";
    ASSERT_EQ(mkdir(install.c_str(), 0755), 0);
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    WriteFile(install + "/Tarnbeck.exe", "");
    std::string registry = data + "/registry.reg";
    std::string boxLog = dir + "/boxes.log";
    ScopedEnv dialogs("TARNBECK_DIALOG_LOG", boxLog.c_str());
    ScopedEnv noReadOnly("TARNBECK_REGISTRY_READONLY", nullptr);
    HostResetFaults();
    HostRegistryUseFile(registry.c_str());
    StoreString(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", "InstallDir", WindowsPath(install));
    StoreString(OS_HKEY_LOCAL_MACHINE, "Software\\Other", "Kept", "another program's value");
    const std::string before = ReadFile(registry);

    // A file size limit just above the registry file makes the next save fail part way, as a full
    // disk does; the box log stays below it.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit full = saved;
    full.rlim_cur = before.size() + 16;
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    HostRegistryUseFile(registry.c_str());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    RegisterMagnetHandler();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(HostRegistryOpenKeyCount(), 0);
    std::vector<LoggedBox> boxes = ReadBoxLog(boxLog);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Tarnbeck magnet registry error");
    EXPECT_EQ(boxes[0].text, "Could not open the VEV Magnet key.\n");
    EXPECT_EQ(ReadFile(registry), before);
    EXPECT_EQ(FolderEntries(data), std::vector<std::string>{"registry.reg"});

    // The next start, with room on the disk, registers and keeps the other program's value.
    remove(boxLog.c_str());
    HostRegistryUseFile(registry.c_str());
    RegisterMagnetHandler();
    EXPECT_TRUE(ReadBoxLog(boxLog).empty());
    ExpectValues(HandlerEntryValues(WindowsPath(install)));
    ExpectValues(ProtocolKeyValues(WindowsPath(install)));
    StoredValue kept;
    ASSERT_TRUE(ReadStoredValue(OS_HKEY_LOCAL_MACHINE, "Software\\Other", "Kept", &kept));
    EXPECT_EQ(kept.data, SzData("another program's value"));

    HostRegistryUseFile(nullptr);
    RemoveTree(dir);
}

}  // namespace
