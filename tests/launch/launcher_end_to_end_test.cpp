// The built host launcher run as a separate process: its exit code, its box log, and whether the
// first argument kept it from touching the magnet registration.
#include "host_control.h"
#include "os_registry.h"
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

std::string LauncherView(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

// A .reg quoted string: backslashes and quotes escaped.
std::string RegQuoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            quoted.push_back('\\');
        }
        quoted.push_back(c);
    }
    return quoted + "\"";
}

// The ShellExecute the registration left in the registry file, or "(missing)".
std::string RegisteredHandlerCommand(const std::string& registry) {
    HostRegistryUseFile(registry.c_str());
    std::string command = "(missing)";
    OsKey key;
    if (OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, "Software\\Magnet\\Handlers\\Tarnbeck", OS_KEY_READ, &key) ==
        OS_ERROR_SUCCESS) {
        char buffer[512];
        uint32_t size = sizeof buffer;
        unsigned char* data = reinterpret_cast<unsigned char*>(buffer);
        if (OsRegQueryValueEx(key, "ShellExecute", nullptr, data, &size) == OS_ERROR_SUCCESS && size > 0) {
            command.assign(buffer, size - 1);
        }
        OsRegCloseKey(key);
    }
    HostRegistryUseFile(nullptr);
    return command;
}

TEST(LauncherEndToEndTest, NoRuntimeGivesExitCodeTenAndTheRuntimeBox) {
    std::string dir = MakeScratchDir();
    std::string install = dir + "/install";
    ASSERT_EQ(mkdir(install.c_str(), 0755), 0);
    WriteFile(install + "/Tarnbeck.exe", "");
    std::string registry = dir + "/registry.reg";
    std::string boxLog = dir + "/boxes.log";
    // An installed launcher, but no Java runtime key.
    WriteFile(registry, "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\Tarnbeck]\r\n"
                        "\"InstallDir\"=" + RegQuoted(LauncherView(install)) + "\r\n");
    ScopedEnv registryFile("TARNBECK_REGISTRY", registry.c_str());
    ScopedEnv dialogs("TARNBECK_DIALOG_LOG", boxLog.c_str());
    ScopedEnv answer("TARNBECK_DIALOG_ANSWER", "no");

    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        bool registers;
    };
    const Case cases[] = {
        {"-pmf skips the registration", {"-pmf"}, false},
        {"no argument registers", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        remove(boxLog.c_str());
        std::string before = ReadFile(registry);

        EXPECT_EQ(RunProgram(TARNBECK_PROGRAM_PATH, c.arguments), 10);

        std::vector<LoggedBox> boxes = ReadBoxLog(boxLog);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Tarnbeck Launcher Error");
        EXPECT_EQ(boxes[0].text, kRuntimeText);
        EXPECT_EQ(boxes[0].buttons, "OK");
        if (c.registers) {
            EXPECT_EQ(RegisteredHandlerCommand(registry),
                      "\"" + LauncherView(install) + "\\Tarnbeck.exe\" \"%URL\"");
        } else {
            EXPECT_EQ(ReadFile(registry), before);
        }
    }
    RemoveTree(dir);
}

}  // namespace
