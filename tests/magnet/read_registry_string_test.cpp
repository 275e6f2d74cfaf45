// ReadRegistryString: what counts as a read, termination inside the 300-byte buffer, and the key
// closed again on every road.
#include "magnet_registration.h"

#include "host_control.h"
#include "os_registry.h"
#include "registry_values.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

class ReadRegistryStringTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeScratchDir();
        HostResetFaults();
        HostRegistryUseFile((dir_ + "/registry.reg").c_str());
    }
    void TearDown() override {
        HostResetFaults();
        HostRegistryUseFile(nullptr);
        RemoveTree(dir_);
    }
    std::string dir_;
};

TEST_F(ReadRegistryStringTest, TextIsTerminatedInsideTheBufferOrTheReadFails) {
    const std::string chars299(299, 'p');
    const std::string chars300(300, 'q');
    struct Case {
        const char* name;
        uint32_t type;
        std::string data;
        bool read;
        std::string text;
    };
    const Case cases[] = {
        {"text with its zero", OS_REG_SZ, SzData("abc"), true, "abc"},
        {"text without a zero", OS_REG_SZ, "abc", true, "abc"},
        {"no bytes at all", OS_REG_SZ, "", true, ""},
        {"a lone zero", OS_REG_SZ, SzData(""), true, ""},
        {"299 characters and the zero fill the buffer", OS_REG_SZ, SzData(chars299), true, chars299},
        {"299 characters without a zero", OS_REG_SZ, chars299, true, chars299},
        {"300 characters without a zero", OS_REG_SZ, chars300, false, ""},
        {"300 characters and the zero", OS_REG_SZ, SzData(chars300), false, ""},
        {"a zero inside ends the text", OS_REG_SZ, std::string("ab\0cd", 5), true, "ab"},
        {"the type is not looked at", OS_REG_DWORD, std::string("AB\0\0", 4), true, "AB"},
        {"expandable text", OS_REG_EXPAND_SZ, SzData("%SystemRoot%"), true, "%SystemRoot%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreValue(OS_HKEY_LOCAL_MACHINE, "Software\\Test", "Value", c.type, c.data);
        // The 300-byte buffer sits in a larger area whose tail must never be written.
        char area[MAGNET_TEXT_SIZE + 32];
        memset(area, 'Z', sizeof area);
        bool read = ReadRegistryString(OS_HKEY_LOCAL_MACHINE, "Software\\Test", "Value", area);
        EXPECT_EQ(read, c.read);
        if (read && c.read) {
            EXPECT_EQ(std::string(area), c.text);
        }
        EXPECT_EQ(std::string(area + MAGNET_TEXT_SIZE, 32), std::string(32, 'Z'));
        EXPECT_EQ(HostRegistryOpenKeyCount(), 0);
    }
}

TEST_F(ReadRegistryStringTest, MissingKeyValueOrFailedQueryIsNoRead) {
    StoreString(OS_HKEY_CLASSES_ROOT, "magnet\\shell\\open\\command", "", "cmd");
    StoreString(OS_HKEY_CLASSES_ROOT, "magnet", "Other", "x");
    char buffer[MAGNET_TEXT_SIZE];
    {
        SCOPED_TRACE("default value");
        EXPECT_TRUE(ReadRegistryString(OS_HKEY_CLASSES_ROOT, "magnet\\shell\\open\\command", "", buffer));
        EXPECT_STREQ(buffer, "cmd");
    }
    {
        SCOPED_TRACE("missing key");
        EXPECT_FALSE(ReadRegistryString(OS_HKEY_CLASSES_ROOT, "magnet\\shell\\edit", "", buffer));
    }
    {
        SCOPED_TRACE("missing default value");
        EXPECT_FALSE(ReadRegistryString(OS_HKEY_CLASSES_ROOT, "magnet", "", buffer));
    }
    {
        SCOPED_TRACE("missing named value");
        EXPECT_FALSE(ReadRegistryString(OS_HKEY_CLASSES_ROOT, "magnet", "Missing", buffer));
    }
    {
        SCOPED_TRACE("query refused");
        HostFailNthCall(HOST_REG_QUERY, 1, OS_ERROR_ACCESS_DENIED);
        EXPECT_FALSE(ReadRegistryString(OS_HKEY_CLASSES_ROOT, "magnet", "Other", buffer));
    }
    {
        SCOPED_TRACE("open refused");
        HostFailNthCall(HOST_REG_OPEN, 1, OS_ERROR_ACCESS_DENIED);
        EXPECT_FALSE(ReadRegistryString(OS_HKEY_CLASSES_ROOT, "magnet", "Other", buffer));
    }
    EXPECT_EQ(HostRegistryOpenKeyCount(), 0);
}

}  // namespace
