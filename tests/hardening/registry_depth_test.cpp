// The host registry's bound on key depth: a .reg file with a key path deeper than the 512 levels
// Windows allows took time cubic in its depth to write back (3000 levels, a 6 KB file, took 13 s)
// and recursed once per level; such a path is now refused when read and when created.
#include "host_control.h"
#include "os_registry.h"
#include "registry_store.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string>

static std::string KeyPath(int depth) {
    std::string path;
    for (int i = 0; i < depth; ++i) {
        path += i == 0 ? "k" : "\\k";
    }
    return path;
}

TEST(RegistryDepthTest, AFileWithAKeyDeeperThan512LevelsIsRefusedAtItsLine) {
    struct Case {
        int depth;
        bool accepted;
    };
    const Case cases[] = {{1, true}, {512, true}, {513, false}, {3000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("depth " + std::to_string(c.depth));
        std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\" + KeyPath(c.depth) + "]\n\"v\"=\"x\"\n";
        RegStore store;
        RegStoreInit(&store);
        int line = 0;
        std::string what;
        ASSERT_EQ(RegParseText(text, &store, &line, &what), c.accepted) << what;
        if (c.accepted) {
            RegStore again;
            RegStoreInit(&again);
            EXPECT_TRUE(RegParseText(RegFormatText(store), &again, &line, &what)) << what;
            EXPECT_EQ(RegFormatText(again), RegFormatText(store));
        } else {
            EXPECT_EQ(line, 3);
            EXPECT_EQ(what, "a key path deeper than 512 levels");
        }
    }
}

TEST(RegistryDepthTest, CreatingAKeyDeeperThan512LevelsFailsAndSavesNothing) {
    ScopedEnv noReadOnly("TARNBECK_REGISTRY_READONLY", nullptr);
    std::string folder = MakeScratchDir();
    std::string path = folder + "/registry.reg";
    HostResetFaults();
    HostRegistryUseFile(path.c_str());

    OsKey key = nullptr;
    ASSERT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, KeyPath(510).c_str(), &key), OS_ERROR_SUCCESS);
    std::string saved = ReadFile(path);
    // Two more levels below a key 510 deep: one is still allowed, the second would pass the bound.
    OsKey deeper = nullptr;
    EXPECT_EQ(OsRegCreateKey(key, "a\\b\\c", &deeper), OS_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(deeper, nullptr);
    EXPECT_EQ(ReadFile(path), saved);
    ASSERT_EQ(OsRegCreateKey(key, "a\\b", &deeper), OS_ERROR_SUCCESS);
    OsRegCloseKey(deeper);
    OsRegCloseKey(key);

    // What was saved reads back: the deepest key is there after a reload.
    HostRegistryUseFile(path.c_str());
    ASSERT_EQ(OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, (KeyPath(510) + "\\a\\b").c_str(), OS_KEY_READ, &key),
              OS_ERROR_SUCCESS);
    OsRegCloseKey(key);
    EXPECT_EQ(HostRegistryOpenKeyCount(), 0);
    HostRegistryUseFile(nullptr);
    RemoveTree(folder);
}
