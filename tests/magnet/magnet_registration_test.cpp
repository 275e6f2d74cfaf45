// RegisterMagnetHandler over the host registry emulation: every road of one start, whole keys
// replaced, the failure table, refused writes, and no key left open.
#include "magnet_registration.h"

#include "host_control.h"
#include "os_registry.h"
#include "registry_values.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const char kHandlerKey[] = "Software\\Magnet\\Handlers\\Tarnbeck";
const char kCommandKey[] = "magnet\\shell\\open\\command";
const char kErrorCaption[] = "Tarnbeck magnet registry error";
const char kQuestion[] = "Tarnbeck is not your default magnet link handler.  Make it?";
const char kOtherCommand[] = "\"C:\\Program Files\\Other\\other.exe\" \"%1\"";
const char kNeighbourKey[] = "Software\\Magnet\\Handlers\\Other";

// A scratch registry file, box log and install folder holding the program file. installDir_ is the
// install folder as the launcher sees it ('\' separators).
class MagnetRegistrationTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = MakeScratchDir();
        registry_ = dir_ + "/registry.reg";
        boxLog_ = dir_ + "/boxes.log";
        dialogs_.reset(new ScopedEnv("TARNBECK_DIALOG_LOG", boxLog_.c_str()));
        std::string install = dir_ + "/install";
        ASSERT_EQ(mkdir(install.c_str(), 0755), 0);
        WriteFile(install + "/Tarnbeck.exe", "");
        installDir_ = WindowsPath(install);
        Fresh();
    }
    void TearDown() override {
        HostResetFaults();
        HostRegistryUseFile(nullptr);
        dialogs_.reset();
        RemoveTree(dir_);
    }

    // An empty registry, no faults, no boxes shown yet.
    void Fresh() {
        HostResetFaults();
        remove(registry_.c_str());
        remove(boxLog_.c_str());
        HostRegistryUseFile(registry_.c_str());
    }

    void SeedInstallDir(const std::string& text) {
        StoreString(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", "InstallDir", text);
    }
    void SeedHandlerUpToDate() {
        for (const ExpectedValue& value : HandlerEntryValues(installDir_)) {
            StoreValue(value.root, value.keyPath, value.name, value.type, value.data);
        }
    }
    void SeedProtocolUpToDate() {
        for (const ExpectedValue& value : ProtocolKeyValues(installDir_)) {
            StoreValue(value.root, value.keyPath, value.name, value.type, value.data);
        }
    }
    // What another program might have put under a key of ours, to see whether the key was replaced.
    void SeedForeign(OsKey root, const std::string& keyPath) {
        StoreString(root, keyPath, "Foreign", "left by another program");
        StoreString(root, keyPath + "\\ForeignSub", "", "x");
    }
    bool HasForeign(OsKey root, const std::string& keyPath) {
        StoredValue value;
        bool hasValue = ReadStoredValue(root, keyPath, "Foreign", &value);
        bool hasSubkey = KeyExists(root, keyPath + "\\ForeignSub");
        EXPECT_EQ(hasValue, hasSubkey) << keyPath;
        return hasValue;
    }
    std::string CurrentProtocolCommand() {
        StoredValue value;
        return ReadStoredValue(OS_HKEY_CLASSES_ROOT, kCommandKey, "", &value) ? value.data : "(missing)";
    }

    // One start's registration; no key may stay open after it, whatever road it took.
    void Register() {
        RegisterMagnetHandler();
        EXPECT_EQ(HostRegistryOpenKeyCount(), 0);
    }
    std::vector<LoggedBox> Boxes() { return ReadBoxLog(boxLog_); }
    std::string RegistryBytes() { return ReadFile(registry_); }

    void ExpectQuestion(const LoggedBox& box, const char* answer) {
        EXPECT_EQ(box.caption, "Tarnbeck config");
        EXPECT_EQ(box.text, kQuestion);
        EXPECT_EQ(box.buttons, "YESNO");
        EXPECT_EQ(box.answer, answer);
    }

    std::string dir_;
    std::string registry_;
    std::string boxLog_;
    std::string installDir_;
    std::unique_ptr<ScopedEnv> dialogs_;
};

// Creates nested folders below `base` so that the whole path is exactly `length` characters, with
// the program file in the deepest; returns the path.
std::string MakeFolderOfLength(const std::string& base, size_t length) {
    std::string path = base;
    if (mkdir(path.c_str(), 0755) != 0) {
        ADD_FAILURE() << "mkdir " << path;
    }
    while (path.size() < length) {
        size_t room = length - path.size() - 1;
        if (room == 0) {
            ADD_FAILURE() << "cannot make " << length << " characters from " << base;
            break;
        }
        size_t part = room > 200 ? 100 : room;
        path += "/" + std::string(part, 'L');
        if (mkdir(path.c_str(), 0755) != 0) {
            ADD_FAILURE() << "mkdir " << path;
        }
    }
    WriteFile(path + "/Tarnbeck.exe", "");
    return path;
}

TEST_F(MagnetRegistrationTest, SilentEndsReadAndWriteNothing) {
    std::string noProgram = dir_ + "/empty";
    ASSERT_EQ(mkdir(noProgram.c_str(), 0755), 0);
    std::string tooLong = WindowsPath(MakeFolderOfLength(dir_ + "/long278", 278));
    struct Case {
        const char* name;
        bool seeded;
        uint32_t type;
        std::string data;
    };
    const Case cases[] = {
        {"no InstallDir", false, OS_REG_SZ, ""},
        {"empty InstallDir", true, OS_REG_SZ, SzData("")},
        {"InstallDir without any byte", true, OS_REG_SZ, ""},
        {"a single backslash names no program file", true, OS_REG_SZ, SzData("\\")},
        {"no program file in the folder", true, OS_REG_SZ, SzData(WindowsPath(noProgram))},
        {"install directory of 278 characters", true, OS_REG_SZ, SzData(tooLong)},
        {"InstallDir of 300 bytes without a zero", true, OS_REG_SZ, std::string(300, 'C')},
        {"InstallDir larger than 300 bytes", true, OS_REG_SZ, SzData(std::string(400, 'C'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        if (c.seeded) {
            StoreValue(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck", "InstallDir", c.type, c.data);
        }
        // Another program's protocol: any write or question would show.
        StoreString(OS_HKEY_CLASSES_ROOT, kCommandKey, "", kOtherCommand);
        std::string before = RegistryBytes();
        Register();
        EXPECT_EQ(RegistryBytes(), before);
        EXPECT_TRUE(Boxes().empty());
    }
}

TEST_F(MagnetRegistrationTest, InstallDirTrailingBackslashAndLongestDirectory) {
    std::string longest = WindowsPath(MakeFolderOfLength(dir_ + "/long277", 277));
    ASSERT_EQ(longest.size(), 277u);
    struct Case {
        const char* name;
        std::string installDirText;
        std::string directory;  // D, as the written texts must show it
    };
    const Case cases[] = {
        {"as recorded", installDir_, installDir_},
        {"one trailing backslash goes", installDir_ + "\\", installDir_},
        {"of two trailing backslashes one stays", installDir_ + "\\\\", installDir_ + "\\"},
        {"277 characters fit every text", longest, longest},
        {"277 characters and a backslash", longest + "\\", longest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        SeedInstallDir(c.installDirText);
        Register();
        EXPECT_TRUE(Boxes().empty());
        ExpectValues(HandlerEntryValues(c.directory));
        ExpectValues(ProtocolKeyValues(c.directory));
    }
}

TEST_F(MagnetRegistrationTest, HandlerListRewrittenUnlessItsCommandIsExactlyOurs) {
    std::string ours = HandlerCommand(installDir_);
    std::string otherCase = ours;
    otherCase.replace(otherCase.find("Tarnbeck.exe"), 1, "t");
    struct Case {
        const char* name;
        bool keyExists;
        bool hasShellExecute;
        std::string shellExecute;
        bool rewritten;
    };
    const Case cases[] = {
        {"no handler key", false, false, "", true},
        {"handler key without ShellExecute", true, false, "", true},
        {"empty ShellExecute", true, true, "", true},
        {"another program's command", true, true, kOtherCommand, true},
        {"another folder", true, true, HandlerCommand("C:\\Old\\Tarnbeck"), true},
        {"differing in letter case", true, true, otherCase, true},
        {"our command", true, true, ours, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        SeedInstallDir(installDir_);
        SeedProtocolUpToDate();
        if (c.keyExists) {
            SeedForeign(OS_HKEY_LOCAL_MACHINE, kHandlerKey);
        }
        if (c.hasShellExecute) {
            StoreString(OS_HKEY_LOCAL_MACHINE, kHandlerKey, "ShellExecute", c.shellExecute);
        }
        // A neighbour in the handler list is never touched.
        StoreString(OS_HKEY_LOCAL_MACHINE, kNeighbourKey, "ShellExecute", kOtherCommand);
        std::string before = RegistryBytes();

        Register();

        EXPECT_TRUE(Boxes().empty());
        ExpectValues(ProtocolKeyValues(installDir_));
        StoredValue neighbour;
        EXPECT_TRUE(ReadStoredValue(OS_HKEY_LOCAL_MACHINE, kNeighbourKey, "ShellExecute", &neighbour));
        if (c.rewritten) {
            ExpectValues(HandlerEntryValues(installDir_));
            EXPECT_FALSE(HasForeign(OS_HKEY_LOCAL_MACHINE, kHandlerKey));
        } else {
            EXPECT_EQ(RegistryBytes(), before);
            EXPECT_TRUE(HasForeign(OS_HKEY_LOCAL_MACHINE, kHandlerKey));
        }
    }
}

TEST_F(MagnetRegistrationTest, ProtocolLeftRebuiltSilentlyOrAfterTheQuestion) {
    std::string ours = ProtocolCommand(installDir_);
    std::string doubled = "\"" + installDir_ + "\\\\Tarnbeck.exe\" \"%L\"";
    std::string otherCase = ours;
    otherCase.replace(otherCase.find("%L"), 2, "%l");
    enum Road { LEFT, REBUILT, ASKED_YES, ASKED_NO };
    struct Case {
        const char* name;
        bool keyExists;
        bool hasCommand;
        uint32_t type;
        std::string command;  // bytes as stored
        Road road;
    };
    const Case cases[] = {
        {"no magnet key", false, false, OS_REG_SZ, "", REBUILT},
        {"magnet key without a command", true, false, OS_REG_SZ, "", REBUILT},
        {"empty command", true, true, OS_REG_SZ, SzData(""), REBUILT},
        {"our command", true, true, OS_REG_SZ, SzData(ours), LEFT},
        {"our command stored without its zero", true, true, OS_REG_SZ, ours, LEFT},
        {"the double-backslash command", true, true, OS_REG_SZ, SzData(doubled), REBUILT},
        {"another program's command, Yes", true, true, OS_REG_SZ, SzData(kOtherCommand), ASKED_YES},
        {"another program's command, No", true, true, OS_REG_SZ, SzData(kOtherCommand), ASKED_NO},
        {"our command in other letter case, No", true, true, OS_REG_SZ, SzData(otherCase), ASKED_NO},
        // Too long to read: never taken over without asking.
        {"a command of 400 characters, No", true, true, OS_REG_SZ, SzData(std::string(400, 'x')), ASKED_NO},
        {"a command of 400 characters, Yes", true, true, OS_REG_SZ, SzData(std::string(400, 'x')), ASKED_YES},
        {"300 bytes without a zero, No", true, true, OS_REG_SZ, std::string(300, 'x'), ASKED_NO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        SeedInstallDir(installDir_);
        SeedHandlerUpToDate();
        if (c.keyExists) {
            SeedForeign(OS_HKEY_CLASSES_ROOT, "magnet");
            SeedForeign(OS_HKEY_CLASSES_ROOT, "magnet\\shell\\open");
        }
        if (c.hasCommand) {
            StoreValue(OS_HKEY_CLASSES_ROOT, kCommandKey, "", c.type, c.command);
        }
        ScopedEnv answer("TARNBECK_DIALOG_ANSWER", c.road == ASKED_YES ? "yes" : "no");
        std::string before = RegistryBytes();

        Register();

        std::vector<LoggedBox> boxes = Boxes();
        if (c.road == ASKED_YES || c.road == ASKED_NO) {
            ASSERT_EQ(boxes.size(), 1u);
            ExpectQuestion(boxes[0], c.road == ASKED_YES ? "yes" : "no");
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        if (c.road == REBUILT || c.road == ASKED_YES) {
            ExpectValues(ProtocolKeyValues(installDir_));
            ExpectValues(HandlerEntryValues(installDir_));
            EXPECT_FALSE(HasForeign(OS_HKEY_CLASSES_ROOT, "magnet"));
            EXPECT_FALSE(HasForeign(OS_HKEY_CLASSES_ROOT, "magnet\\shell\\open"));
        } else {
            EXPECT_EQ(RegistryBytes(), before);
        }
        if (c.road == ASKED_NO) {
            // The answer is not kept: the next start asks again.
            Register();
            boxes = Boxes();
            ASSERT_EQ(boxes.size(), 2u);
            ExpectQuestion(boxes[1], "no");
            EXPECT_EQ(RegistryBytes(), before);
        }
    }
}

TEST_F(MagnetRegistrationTest, SecondStartReadsAndComparesOnly) {
    SeedInstallDir(installDir_);
    SeedForeign(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck");
    Register();
    ExpectValues(HandlerEntryValues(installDir_));
    ExpectValues(ProtocolKeyValues(installDir_));
    EXPECT_TRUE(HasForeign(OS_HKEY_LOCAL_MACHINE, "Software\\Tarnbeck"));
    std::string after = RegistryBytes();

    Register();
    EXPECT_EQ(RegistryBytes(), after);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MagnetRegistrationTest, EachFailureShowsItsMessageOnceAndEndsTheRegistration) {
    // The handler rows start from a registry holding only InstallDir and another program's protocol;
    // the protocol rows from an up-to-date handler list and no magnet key. Calls are counted per
    // service from the start of the registration: the handler rows open InstallDir's key, the
    // handler key (missing) and then Software; the protocol rows open InstallDir's key, the handler
    // key, and the command key twice (missing: read, then the check whether the value exists).
    struct Case {
        bool protocolPart;
        HostService service;
        int call;
        const char* message;
    };
    const Case cases[] = {
        {false, HOST_REG_OPEN, 3, "Could not open the Software key.\n"},
        {false, HOST_REG_CREATE, 1, "Could not open the VEV Magnet key.\n"},
        {false, HOST_REG_CREATE, 2, "Could not open the Handlers key.\n"},
        {false, HOST_REG_CREATE, 3, "Could not create the Tarnbeck key.\n"},
        {false, HOST_REG_SET, 1, "Could not set the Tarnbeck appname value.\n"},
        {false, HOST_REG_SET, 2, "Could not set the Tarnbeck Description value.\n"},
        {false, HOST_REG_SET, 3, "Could not set the Vev DefaultIcon value.\n"},
        {false, HOST_REG_SET, 4, "Could not set the ShellExecute value.\n"},
        {false, HOST_REG_SET, 5, "Could not set the kt value."},
        {false, HOST_REG_CREATE, 4, "Could not create the Type key.\n"},
        {false, HOST_REG_SET, 6, "Could not set the urn:sha1 value.\n"},
        {true, HOST_REG_CREATE, 1, "Could not create the registry key.\n"},
        {true, HOST_REG_SET, 1, "Could not set the default magnet value.\n"},
        {true, HOST_REG_SET, 2, "Could not set the URL Protocol value.\n"},
        {true, HOST_REG_CREATE, 2, "Could not create the DefaultIcon key.\n"},
        {true, HOST_REG_SET, 3, "Could not set the DefaultIcon value.\n"},
        {true, HOST_REG_CREATE, 3, "Could not create the shell key.\n"},
        {true, HOST_REG_CREATE, 4, "Could not create the open key.\n"},
        {true, HOST_REG_CREATE, 5, "Could not create the command key.\n"},
        {true, HOST_REG_SET, 4, "Could not set the command value.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Fresh();
        SeedInstallDir(installDir_);
        if (c.protocolPart) {
            SeedHandlerUpToDate();
        } else {
            StoreString(OS_HKEY_CLASSES_ROOT, kCommandKey, "", kOtherCommand);
        }
        ScopedEnv answer("TARNBECK_DIALOG_ANSWER", "yes");
        HostFailNthCall(c.service, c.call, OS_ERROR_ACCESS_DENIED);

        Register();

        std::vector<LoggedBox> boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, kErrorCaption);
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_EQ(boxes[0].buttons, "OK");
        if (c.protocolPart) {
            EXPECT_EQ(CurrentProtocolCommand(), "(missing)");
        } else {
            // The protocol part was never reached: no question, nothing taken over.
            EXPECT_EQ(CurrentProtocolCommand(), SzData(kOtherCommand));
        }
    }
}

TEST_F(MagnetRegistrationTest, WhatWasDeletedStaysDeletedWhenALaterStepFails) {
    SeedInstallDir(installDir_);
    StoreString(OS_HKEY_LOCAL_MACHINE, kHandlerKey, "ShellExecute", HandlerCommand("C:\\Old"));
    SeedForeign(OS_HKEY_LOCAL_MACHINE, kHandlerKey);
    // Opens: InstallDir's key, the handler key, then Software.
    HostFailNthCall(HOST_REG_OPEN, 3, OS_ERROR_ACCESS_DENIED);
    Register();
    std::vector<LoggedBox> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Could not open the Software key.\n");
    EXPECT_FALSE(KeyExists(OS_HKEY_LOCAL_MACHINE, kHandlerKey));
    EXPECT_TRUE(KeyExists(OS_HKEY_LOCAL_MACHINE, "Software\\Magnet\\Handlers"));
}

TEST_F(MagnetRegistrationTest, RefusedCreationOfAnExistingParentFallsBackToOpeningIt) {
    SeedInstallDir(installDir_);
    StoreString(OS_HKEY_LOCAL_MACHINE, kNeighbourKey, "ShellExecute", kOtherCommand);
    HostFailNthCall(HOST_REG_CREATE, 1, OS_ERROR_ACCESS_DENIED);
    Register();
    EXPECT_TRUE(Boxes().empty());
    ExpectValues(HandlerEntryValues(installDir_));
    ExpectValues(ProtocolKeyValues(installDir_));
}

TEST_F(MagnetRegistrationTest, RefusedWritesBelowSoftwareGiveOneBoxAndNoQuestion) {
    struct Case {
        const char* name;
        bool handlerKeyExists;
        const char* message;
    };
    const Case cases[] = {
        {"stale handler key", true, "Could not set the Tarnbeck appname value.\n"},
        {"no handler list at all", false, "Could not open the VEV Magnet key.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        SeedInstallDir(installDir_);
        if (c.handlerKeyExists) {
            StoreString(OS_HKEY_LOCAL_MACHINE, kHandlerKey, "ShellExecute", HandlerCommand("C:\\Old"));
        }
        StoreString(OS_HKEY_CLASSES_ROOT, kCommandKey, "", kOtherCommand);
        ScopedEnv answer("TARNBECK_DIALOG_ANSWER", "yes");
        std::string before = RegistryBytes();
        HostRegistryDenyWritesBelow("HKEY_LOCAL_MACHINE\\Software");

        Register();

        std::vector<LoggedBox> boxes = Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, kErrorCaption);
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_EQ(RegistryBytes(), before);
    }
}

}  // namespace
