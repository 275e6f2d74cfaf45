// The registry calls against Win32 semantics: handles and paths, value queries, names compared
// without regard to case, write protection, and the fault switch.
#include "registry_fixture.h"

#include <functional>
#include <string>
#include <vector>

namespace {

const char kSeed[] =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck]\n"
    "\"InstallDir\"=\"C:\\\\Tarnbeck\"\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck\\Sub\\Leaf]\n"
    "\"v\"=\"leaf\"\n"
    "\n"
    "[HKEY_CLASSES_ROOT\\magnet]\n"
    "@=\"URL:MagNet Protocol\"\n";

template <size_t N>
std::string Lit(const char (&text)[N]) {
    return std::string(text, N - 1);
}

class RegistryCallsTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        WriteFile(path_, kSeed);
    }
};

}  // namespace

TEST_F(RegistryCallsTest, QueryReportsTypeAndSizeAndAsksForMoreRoom) {
    OsKey key = nullptr;
    ASSERT_EQ(OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", OS_KEY_QUERY_VALUE, &key),
              OS_ERROR_SUCCESS);
    const std::string stored = Lit("C:\\Tarnbeck\0");  // 12 bytes

    uint32_t type = 0;
    uint32_t size = 0;
    EXPECT_EQ(OsRegQueryValueEx(key, "InstallDir", &type, nullptr, &size), OS_ERROR_SUCCESS);
    EXPECT_EQ(type, OS_REG_SZ);
    EXPECT_EQ(size, stored.size());

    struct Case {
        uint32_t room;
        int32_t status;
    };
    for (const Case& c : {Case{0, OS_ERROR_MORE_DATA}, Case{11, OS_ERROR_MORE_DATA},
                          Case{12, OS_ERROR_SUCCESS}, Case{300, OS_ERROR_SUCCESS}}) {
        SCOPED_TRACE("room " + std::to_string(c.room));
        unsigned char buffer[300];
        size = c.room;
        type = 0;
        EXPECT_EQ(OsRegQueryValueEx(key, "InstallDir", &type, buffer, &size), c.status);
        EXPECT_EQ(size, stored.size());
        EXPECT_EQ(type, OS_REG_SZ);
        if (c.status == OS_ERROR_SUCCESS) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), stored);
        }
    }

    unsigned char buffer[64];
    EXPECT_EQ(OsRegQueryValueEx(key, "InstallDir", nullptr, buffer, nullptr), OS_ERROR_INVALID_PARAMETER);
    size = sizeof buffer;
    EXPECT_EQ(OsRegQueryValueEx(key, "InstallDir", nullptr, buffer, &size), OS_ERROR_SUCCESS);
    EXPECT_EQ(OsRegQueryValueEx(key, "Missing", &type, nullptr, &size), OS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OsRegQueryValueEx(key, nullptr, &type, nullptr, &size), OS_ERROR_FILE_NOT_FOUND);
    OsRegCloseKey(key);

    // The default value answers to both null and "".
    ASSERT_EQ(OsRegOpenKeyEx(OS_HKEY_CLASSES_ROOT, "magnet", OS_KEY_READ, &key), OS_ERROR_SUCCESS);
    EXPECT_EQ(QueryBytes(key, nullptr), Lit("URL:MagNet Protocol\0"));
    EXPECT_EQ(QueryBytes(key, ""), Lit("URL:MagNet Protocol\0"));
    OsRegCloseKey(key);
}

TEST_F(RegistryCallsTest, SetStoresExactlyTheBytesGiven) {
    OsKey key = nullptr;
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", &key), OS_ERROR_SUCCESS);
    EXPECT_EQ(
        OsRegSetValueEx(key, "InstallDir", OS_REG_SZ, reinterpret_cast<const unsigned char*>("D:\\x"), 4),
        OS_ERROR_SUCCESS);
    uint32_t type = 0;
    EXPECT_EQ(QueryBytes(key, "InstallDir", &type), "D:\\x");
    EXPECT_EQ(OsRegSetValueEx(key, "Zero", OS_REG_BINARY, nullptr, 0), OS_ERROR_SUCCESS);
    int32_t status = -1;
    EXPECT_EQ(QueryBytes(key, "Zero", &type, &status), "");
    EXPECT_EQ(status, OS_ERROR_SUCCESS);
    EXPECT_EQ(type, OS_REG_BINARY);
    EXPECT_EQ(OsRegSetValueEx(key, "Bad", OS_REG_BINARY, nullptr, 4), OS_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(SetString(key, "two\nlines", "x"), OS_ERROR_INVALID_PARAMETER);
    OsRegCloseKey(key);
}

TEST_F(RegistryCallsTest, NamesCompareWithoutCaseAndKeepTheCaseFirstWritten) {
    EXPECT_EQ(ReadValue(OS_HKEY_LOCAL_MACHINE, "SOFTWARE\\tarnbeck", "installdir"), Lit("C:\\Tarnbeck\0"));
    EXPECT_EQ(ReadValue(OS_HKEY_CLASSES_ROOT, "MAGNET", ""), Lit("URL:MagNet Protocol\0"));

    OsKey key = nullptr;
    ASSERT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "software\\TARNBECK\\sub\\NewKey", &key),
              OS_ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, "Value", "1"), OS_ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, "VALUE", "2"), OS_ERROR_SUCCESS);
    OsRegCloseKey(key);
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", &key), OS_ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, "INSTALLDIR", "E:\\"), OS_ERROR_SUCCESS);
    OsRegCloseKey(key);

    std::string saved = ReadFile(path_);
    EXPECT_NE(saved.find("[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck\\Sub\\NewKey]\n\"Value\"=\"2\"\n"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("\"InstallDir\"=\"E:\\\\\"\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("INSTALLDIR"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("software"), std::string::npos) << saved;
}

TEST_F(RegistryCallsTest, OpenAndCreateFollowWin32Rules) {
    OsKey key = reinterpret_cast<OsKey>(1);
    EXPECT_EQ(OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, "Software\\Missing", OS_KEY_READ, &key),
              OS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\Sub\\Leaf\\Deeper", &key),
              OS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "\\Software", &key), OS_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\\\Tarnbeck", &key), OS_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software", nullptr), OS_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software\\two\nlines", &key), OS_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(HostRegistryOpenKeyCount(), openAtStart_);

    // A trailing backslash is ignored; null and "" open a second handle to the same key.
    OsKey tarnbeck = nullptr;
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\", &tarnbeck), OS_ERROR_SUCCESS);
    OsKey again = nullptr;
    OsKey third = nullptr;
    ASSERT_EQ(OsRegOpenKeyEx(tarnbeck, "", OS_KEY_READ, &again), OS_ERROR_SUCCESS);
    ASSERT_EQ(OsRegCreateKey(tarnbeck, nullptr, &third), OS_ERROR_SUCCESS);
    EXPECT_NE(again, tarnbeck);
    EXPECT_NE(third, again);
    EXPECT_EQ(HostRegistryOpenKeyCount(), openAtStart_ + 3);
    EXPECT_EQ(OsRegCloseKey(tarnbeck), OS_ERROR_SUCCESS);
    EXPECT_EQ(QueryBytes(again, "InstallDir"), Lit("C:\\Tarnbeck\0"));
    EXPECT_EQ(OsRegCloseKey(again), OS_ERROR_SUCCESS);
    EXPECT_EQ(OsRegCloseKey(third), OS_ERROR_SUCCESS);

    // Create makes the missing parents, and opens what exists without saving anything.
    ASSERT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software\\Magnet\\Handlers\\Tarnbeck", &key),
              OS_ERROR_SUCCESS);
    OsRegCloseKey(key);
    for (const char* made :
         {"Software\\Magnet", "Software\\Magnet\\Handlers", "Software\\Magnet\\Handlers\\Tarnbeck"}) {
        SCOPED_TRACE(made);
        EXPECT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, made, &key), OS_ERROR_SUCCESS);
        OsRegCloseKey(key);
    }
    const std::string saved = ReadFile(path_);
    WriteFile(path_ + ".tmp", "");  // a save would replace it
    ASSERT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", &key), OS_ERROR_SUCCESS);
    OsRegCloseKey(key);
    EXPECT_TRUE(FileExists(path_ + ".tmp"));
    EXPECT_EQ(ReadFile(path_), saved);
}

TEST_F(RegistryCallsTest, HandlesCloseOnceAndDieWithTheirKey) {
    EXPECT_EQ(OsRegCloseKey(OS_HKEY_LOCAL_MACHINE), OS_ERROR_SUCCESS);
    EXPECT_EQ(OsRegCloseKey(OS_HKEY_CLASSES_ROOT), OS_ERROR_SUCCESS);
    EXPECT_EQ(OsRegCloseKey(reinterpret_cast<OsKey>(0x1234567)), OS_ERROR_INVALID_HANDLE);
    EXPECT_EQ(OsRegCloseKey(nullptr), OS_ERROR_INVALID_HANDLE);
    uint32_t size = 0;
    EXPECT_EQ(OsRegQueryValueEx(reinterpret_cast<OsKey>(0x1234567), "v", nullptr, nullptr, &size),
              OS_ERROR_INVALID_HANDLE);

    OsKey leaf = nullptr;
    OsKey sub = nullptr;
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\Sub\\Leaf", &leaf), OS_ERROR_SUCCESS);
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\Sub", &sub), OS_ERROR_SUCCESS);
    EXPECT_EQ(OsDeleteKeyTree(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\Sub"), OS_ERROR_SUCCESS);
    OsKey child = nullptr;
    EXPECT_EQ(OsRegQueryValueEx(leaf, "v", nullptr, nullptr, &size), HOST_ERROR_KEY_DELETED);
    EXPECT_EQ(SetString(sub, "v", "x"), HOST_ERROR_KEY_DELETED);
    EXPECT_EQ(OsRegCreateKey(sub, "Again", &child), HOST_ERROR_KEY_DELETED);
    EXPECT_EQ(OsRegOpenKey(sub, "Leaf", &child), HOST_ERROR_KEY_DELETED);
    EXPECT_EQ(OsDeleteKeyTree(sub, "Leaf"), HOST_ERROR_KEY_DELETED);
    EXPECT_EQ(OsRegCloseKey(leaf), OS_ERROR_SUCCESS);
    EXPECT_EQ(OsRegCloseKey(leaf), OS_ERROR_INVALID_HANDLE);
    EXPECT_EQ(OsRegCloseKey(sub), OS_ERROR_SUCCESS);

    // A key made anew under the old name is a different key.
    ASSERT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\Sub", &sub), OS_ERROR_SUCCESS);
    EXPECT_EQ(OsRegOpenKey(sub, "Leaf", &child), OS_ERROR_FILE_NOT_FOUND);
    OsRegCloseKey(sub);

    // A handle from before the registry was dropped points nowhere, and can still be closed.
    OsKey stale = nullptr;
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", &stale), OS_ERROR_SUCCESS);
    Reload();
    EXPECT_EQ(OsRegQueryValueEx(stale, "InstallDir", nullptr, nullptr, &size), OS_ERROR_INVALID_HANDLE);
    EXPECT_EQ(OsRegCloseKey(stale), OS_ERROR_SUCCESS);
}

TEST_F(RegistryCallsTest, DeleteTreeTakesEverythingBelow) {
    EXPECT_EQ(OsDeleteKeyTree(OS_HKEY_LOCAL_MACHINE, "Software\\Nothing"), OS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OsDeleteKeyTree(OS_HKEY_LOCAL_MACHINE, "SOFTWARE\\tarnbeck"), OS_ERROR_SUCCESS);
    OsKey key = nullptr;
    EXPECT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", &key), OS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\Sub\\Leaf", &key),
              OS_ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software", &key), OS_ERROR_SUCCESS);
    OsRegCloseKey(key);
    Reload();
    EXPECT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\Sub", &key), OS_ERROR_FILE_NOT_FOUND);

    // With no subkey the key is emptied and stays.
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_CLASSES_ROOT, "magnet", &key), OS_ERROR_SUCCESS);
    OsKey shell = nullptr;
    ASSERT_EQ(OsRegCreateKey(key, "shell\\open\\command", &shell), OS_ERROR_SUCCESS);
    OsRegCloseKey(shell);
    EXPECT_EQ(OsDeleteKeyTree(key, nullptr), OS_ERROR_SUCCESS);
    uint32_t size = 0;
    EXPECT_EQ(OsRegQueryValueEx(key, "", nullptr, nullptr, &size), OS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OsRegOpenKey(key, "shell", &shell), OS_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetString(key, "", "still here"), OS_ERROR_SUCCESS);
    OsRegCloseKey(key);
}

namespace {

struct ProtectionCase {
    const char* name;
    std::function<int32_t()> call;
    int32_t expected;
};

std::vector<ProtectionCase> ProtectionCases() {
    auto create = [](OsKey parent, const char* subKey) {
        return [parent, subKey]() {
            OsKey key = nullptr;
            int32_t status = OsRegCreateKey(parent, subKey, &key);
            if (key != nullptr) {
                OsRegCloseKey(key);
            }
            return status;
        };
    };
    auto setOn = [](OsKey parent, const char* subKey) {
        return [parent, subKey]() {
            OsKey key = nullptr;
            int32_t status = OsRegOpenKey(parent, subKey, &key);
            if (status == OS_ERROR_SUCCESS) {
                status = SetString(key, "v", "written");
                OsRegCloseKey(key);
            }
            return status;
        };
    };
    auto remove = [](OsKey parent, const char* subKey) {
        return [parent, subKey]() { return OsDeleteKeyTree(parent, subKey); };
    };
    auto open = [](OsKey parent, const char* subKey) {
        return [parent, subKey]() {
            OsKey key = nullptr;
            int32_t status = OsRegOpenKeyEx(parent, subKey, OS_KEY_READ, &key);
            if (key != nullptr) {
                OsRegCloseKey(key);
            }
            return status;
        };
    };
    return {
        {"create a new key below", create(OS_HKEY_LOCAL_MACHINE, "Software\\Magnet\\Handlers"),
         OS_ERROR_ACCESS_DENIED},
        {"create a new key below, other case", create(OS_HKEY_LOCAL_MACHINE, "sOFTWARE\\New"),
         OS_ERROR_ACCESS_DENIED},
        {"create an existing key", create(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\Sub"),
         OS_ERROR_SUCCESS},
        {"open", open(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\Sub\\Leaf"), OS_ERROR_SUCCESS},
        {"set below", setOn(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck"), OS_ERROR_ACCESS_DENIED},
        {"set on the key itself", setOn(OS_HKEY_LOCAL_MACHINE, "Software"), OS_ERROR_ACCESS_DENIED},
        {"delete below", remove(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck\\Sub"), OS_ERROR_ACCESS_DENIED},
        {"delete the key itself", remove(OS_HKEY_LOCAL_MACHINE, "Software"), OS_ERROR_ACCESS_DENIED},
        {"empty the root above it", remove(OS_HKEY_LOCAL_MACHINE, ""), OS_ERROR_ACCESS_DENIED},
        {"set on the root above it", setOn(OS_HKEY_LOCAL_MACHINE, ""), OS_ERROR_SUCCESS},
        {"create beside it", create(OS_HKEY_LOCAL_MACHINE, "SoftwareX"), OS_ERROR_SUCCESS},
        {"create under the other root", create(OS_HKEY_CLASSES_ROOT, "magnet\\shell"), OS_ERROR_SUCCESS},
        {"set under the other root", setOn(OS_HKEY_CLASSES_ROOT, "magnet"), OS_ERROR_SUCCESS},
        {"delete under the other root", remove(OS_HKEY_CLASSES_ROOT, "magnet"), OS_ERROR_SUCCESS},
    };
}

}  // namespace

TEST_F(RegistryCallsTest, WriteProtectionRefusesChangesAtAndBelowTheKey) {
    struct Source {
        const char* name;
        const char* variable;  // TARNBECK_REGISTRY_READONLY, or null for HostRegistryDenyWritesBelow
        const char* keyPath;
    };
    for (const Source& source : {Source{"control", nullptr, "HKEY_LOCAL_MACHINE\\Software"},
                                 Source{"control, short root", nullptr, "hklm\\SOFTWARE\\"},
                                 Source{"variable", "HKEY_LOCAL_MACHINE\\Software", nullptr}}) {
        for (const ProtectionCase& c : ProtectionCases()) {
            SCOPED_TRACE(std::string(source.name) + ": " + c.name);
            WriteFile(path_, kSeed);
            Reload();
            ScopedEnv variable("TARNBECK_REGISTRY_READONLY", source.variable);
            HostRegistryDenyWritesBelow(source.keyPath);
            EXPECT_EQ(c.call(), c.expected);
            if (c.expected != OS_ERROR_SUCCESS) {
                EXPECT_EQ(ReadFile(path_), kSeed);
            }
            HostRegistryDenyWritesBelow(nullptr);
        }
    }
}

TEST_F(RegistryCallsTest, ResetLiftsTheProtection) {
    HostRegistryDenyWritesBelow("HKEY_CLASSES_ROOT");
    EXPECT_EQ(OsDeleteKeyTree(OS_HKEY_CLASSES_ROOT, "magnet"), OS_ERROR_ACCESS_DENIED);
    HostResetFaults();
    EXPECT_EQ(OsDeleteKeyTree(OS_HKEY_CLASSES_ROOT, "magnet"), OS_ERROR_SUCCESS);
}

namespace {

struct FaultCase {
    const char* name;
    HostService service;
    std::function<int32_t()> call;
    std::function<void()> prepare;  // run before each call, outside the check that nothing changed
};

}  // namespace

TEST_F(RegistryCallsTest, TheNthCallFailsWithTheArmedErrorAndChangesNothing) {
    auto open = []() {
        OsKey key = nullptr;
        int32_t status = OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", &key);
        if (key != nullptr) {
            OsRegCloseKey(key);
        }
        return status;
    };
    auto openEx = []() {
        OsKey key = nullptr;
        int32_t status = OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", OS_KEY_READ, &key);
        if (key != nullptr) {
            OsRegCloseKey(key);
        }
        return status;
    };
    auto create = []() {
        OsKey key = nullptr;
        int32_t status = OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software\\Created", &key);
        if (key != nullptr) {
            OsRegCloseKey(key);
        }
        return status;
    };
    auto query = []() {
        OsKey key = nullptr;
        OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", &key);
        unsigned char buffer[64];
        uint32_t size = sizeof buffer;
        int32_t status = OsRegQueryValueEx(key, "InstallDir", nullptr, buffer, &size);
        OsRegCloseKey(key);
        return status;
    };
    auto set = []() { return SetString(OS_HKEY_CLASSES_ROOT, "Set", "value"); };
    auto remove = []() { return OsDeleteKeyTree(OS_HKEY_LOCAL_MACHINE, "Software\\Doomed"); };
    auto makeDoomed = []() {
        OsKey key = nullptr;
        OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software\\Doomed", &key);
        OsRegCloseKey(key);
    };
    const std::vector<FaultCase> cases = {
        {"open", HOST_REG_OPEN, open, nullptr},       {"open ex", HOST_REG_OPEN, openEx, nullptr},
        {"create", HOST_REG_CREATE, create, nullptr}, {"query", HOST_REG_QUERY, query, nullptr},
        {"set", HOST_REG_SET, set, nullptr},          {"delete", HOST_REG_DELETE, remove, makeDoomed},
    };
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(path_, kSeed);
        Reload();
        auto call = [&c]() {
            if (c.prepare) {
                c.prepare();
            }
            return c.call();
        };
        HostFailNthCall(c.service, 3, 1234);
        EXPECT_EQ(call(), OS_ERROR_SUCCESS);
        EXPECT_EQ(call(), OS_ERROR_SUCCESS);
        if (c.prepare) {
            c.prepare();
        }
        const std::string before = ReadFile(path_);
        EXPECT_EQ(c.call(), 1234);
        EXPECT_EQ(ReadFile(path_), before);
        EXPECT_EQ(c.call(), OS_ERROR_SUCCESS) << "the failure is used up";

        // Rearming replaces the pending failure; a reset disarms it.
        HostFailNthCall(c.service, 1, 5);
        HostFailNthCall(c.service, 2, 6);
        EXPECT_EQ(call(), OS_ERROR_SUCCESS);
        EXPECT_EQ(call(), 6);
        HostFailNthCall(c.service, 1, 7);
        HostResetFaults();
        EXPECT_EQ(call(), OS_ERROR_SUCCESS);
    }
}

TEST_F(RegistryCallsTest, AFailedCreateOrSetLeavesNoTrace) {
    HostFailNthCall(HOST_REG_CREATE, 1, OS_ERROR_ACCESS_DENIED);
    OsKey key = reinterpret_cast<OsKey>(1);
    EXPECT_EQ(OsRegCreateKey(OS_HKEY_LOCAL_MACHINE, "Software\\Magnet\\Handlers", &key),
              OS_ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(HostRegistryOpenKeyCount(), openAtStart_);
    EXPECT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Magnet", &key), OS_ERROR_FILE_NOT_FOUND);

    HostFailNthCall(HOST_REG_SET, 1, OS_ERROR_WRITE_FAULT);
    ASSERT_EQ(OsRegOpenKey(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", &key), OS_ERROR_SUCCESS);
    EXPECT_EQ(SetString(key, "InstallDir", "X:\\"), OS_ERROR_WRITE_FAULT);
    EXPECT_EQ(QueryBytes(key, "InstallDir"), Lit("C:\\Tarnbeck\0"));
    OsRegCloseKey(key);
    EXPECT_EQ(ReadFile(path_), kSeed);
}
