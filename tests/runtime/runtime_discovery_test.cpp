// Runtime discovery over the host emulation: the registry reads and their standard error lines, PATH,
// LocateRuntime from home to jvm.dll path, the path's forming and bounds, and the binding of the
// JNI entry points from small stand-in libraries.
#include "runtime_fixture.h"

#include "host_control.h"
#include "os_registry.h"
#include "recording_reports.h"
#include "runtime_discovery.h"
#include "test_files.h"
#include "vm_table.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

const std::string RUNTIME_KEY = "HKEY_LOCAL_MACHINE\\Software\\JavaSoft\\Java Runtime Environment";
const std::string OPEN_RUNTIME_KEY_FAILED =
    "Error opening registry key 'Software\\JavaSoft\\Java Runtime Environment'\n";
const std::string CURRENT_VERSION_FAILED =
    "Failed reading value of registry key:\n\tSoftware\\JavaSoft\\Java Runtime Environment\\CurrentVersion\n";
const std::string NO_RUNTIME = "Error: could not find java.dll\n";

std::string OpenVersionKeyFailed(const std::string& version) {
    return "Error opening registry key 'Software\\JavaSoft\\Java Runtime Environment\\" + version + "'\n";
}

std::string JavaHomeFailed(const std::string& version) {
    return "Failed reading value of registry key:\n\tSoftware\\JavaSoft\\Java Runtime Environment\\" +
           version + "\\JavaHome\n";
}

// A .reg string value: quotes around, backslashes and quotes escaped.
std::string RegText(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

// A .reg hex value of the given type holding exactly `bytes`.
std::string RegHex(int type, const std::string& bytes) {
    std::string text = "hex(" + std::to_string(type) + "):";
    char pair[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
        text += (i == 0 ? "" : ",") + std::string(pair);
    }
    return text;
}

// The runtime key with "CurrentVersion" and the version key with "JavaHome", each value as it stands
// in a .reg file; an empty one is left out, as is the version key when versionKey is null.
std::string RuntimeKeys(const std::string& currentVersion, const char* versionKey,
                        const std::string& javaHome) {
    std::string text = "[" + RUNTIME_KEY + "]\r\n";
    if (!currentVersion.empty()) {
        text += "\"CurrentVersion\"=" + currentVersion + "\r\n";
    }
    text += "\r\n";
    if (versionKey != nullptr) {
        text += "[" + RUNTIME_KEY + "\\" + versionKey + "]\r\n";
        if (!javaHome.empty()) {
            text += "\"JavaHome\"=" + javaHome + "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

// A runtime's jvm.dll as the host runs one: a link to the real library.
void LinkFile(const std::string& target, const std::string& link) {
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0) << link;
}

class RuntimeDiscoveryTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        HostResetFaults();
        home_ = scratch_ + "/jre";
        registry_ = scratch_ + "/registry.reg";
    }

    void TearDown() override {
        EXPECT_EQ(HostRegistryOpenKeyCount(), 0) << "a registry key was left open";
        HostResetFaults();
        HostRegistryUseFile(nullptr);
        RuntimeTest::TearDown();
    }

    void UseRegistry(const std::string& keys) {
        WriteFile(registry_, "Windows Registry Editor Version 5.00\r\n\r\n" + keys);
        HostRegistryUseFile(registry_.c_str());
    }

    // A registry naming home_ as the runtime of version 1.8, a jvm.cfg, and a stand-in jvm.dll for each
    // of `types`.
    void InstallRuntime(const std::string& vmConfig, const std::vector<std::string>& types) {
        UseRegistry(RuntimeKeys("\"1.8\"", "1.8", RegText(home_)));
        WriteVmConfig(home_, vmConfig);
        for (const std::string& type : types) {
            MakeDirs(home_ + "/bin/" + type);
            LinkFile(FAKE_JVM_FULL, home_ + "/bin/" + type + "/jvm.dll");
        }
    }

    std::string home_;
    std::string registry_;
};

TEST_F(RuntimeDiscoveryTest, RegistryFailuresWriteTheirLinesAndLeavePathAlone) {
    struct Case {
        const char* name;
        std::string keys;
        std::string warnings;  // empty: the home is read
        std::string home;
        HostService faultService = HOST_SERVICE_COUNT;  // none
        int faultCall = 0;
    };
    const std::string cv = "\"1.8\"";
    const std::string home = RegText("C:\\Java\\jre");
    const std::string valid = RuntimeKeys(cv, "1.8", home);
    const std::string v258(258, 'v');
    const std::string h258(258, 'h');
    const std::string h259(259, 'h');
    const std::vector<Case> cases = {
        {"no runtime key", "[HKEY_LOCAL_MACHINE\\Software\\JavaSoft]\r\n", OPEN_RUNTIME_KEY_FAILED, ""},
        {"CurrentVersion missing", RuntimeKeys("", "1.8", home), CURRENT_VERSION_FAILED, ""},
        {"CurrentVersion expandable", RuntimeKeys(RegHex(2, std::string("1.8", 4)), "1.8", home),
         CURRENT_VERSION_FAILED, ""},
        {"CurrentVersion a number", RuntimeKeys("dword:00000008", "1.8", home), CURRENT_VERSION_FAILED, ""},
        {"CurrentVersion of 260 bytes", RuntimeKeys(RegText(v258 + "v"), "1.8", home), CURRENT_VERSION_FAILED,
         ""},
        {"CurrentVersion of 259 bytes is read", RuntimeKeys(RegText(v258), "1.8", home),
         OpenVersionKeyFailed(v258), ""},
        {"CurrentVersion stored without its zero", RuntimeKeys(RegHex(1, "1.8"), "1.8", home), "",
         "C:\\Java\\jre"},
        {"version key missing", RuntimeKeys(cv, "1.7", home), OpenVersionKeyFailed("1.8"), ""},
        {"JavaHome missing", RuntimeKeys(cv, "1.8", ""), JavaHomeFailed("1.8"), ""},
        {"JavaHome expandable", RuntimeKeys(cv, "1.8", RegHex(2, std::string("C:\\j", 5))),
         JavaHomeFailed("1.8"), ""},
        {"JavaHome of 260 bytes", RuntimeKeys(cv, "1.8", RegText(h259)), JavaHomeFailed("1.8"), ""},
        {"JavaHome of 259 bytes is read", RuntimeKeys(cv, "1.8", RegText(h258)), "", h258},
        {"JavaHome of 259 bytes without its zero is read", RuntimeKeys(cv, "1.8", RegHex(1, h259)), "", h259},
        {"JavaHome stored without its zero", RuntimeKeys(cv, "1.8", RegHex(1, "C:\\jre")), "", "C:\\jre"},
        {"JavaHome empty", RuntimeKeys(cv, "1.8", "\"\""), "", ""},
        {"opening the runtime key fails", valid, OPEN_RUNTIME_KEY_FAILED, "", HOST_REG_OPEN, 1},
        {"opening the version key fails", valid, OpenVersionKeyFailed("1.8"), "", HOST_REG_OPEN, 2},
        {"sizing CurrentVersion fails", valid, CURRENT_VERSION_FAILED, "", HOST_REG_QUERY, 1},
        {"reading CurrentVersion fails", valid, CURRENT_VERSION_FAILED, "", HOST_REG_QUERY, 2},
        {"reading JavaHome fails", valid, JavaHomeFailed("1.8"), "", HOST_REG_QUERY, 4},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.name);
        UseRegistry(c.keys);
        HostResetFaults();
        if (c.faultService != HOST_SERVICE_COUNT) {
            HostFailNthCall(c.faultService, c.faultCall, OS_ERROR_ACCESS_DENIED);
        }
        ScopedEnv path("PATH", "/usr/bin:/bin");
        // The buffer is followed by bytes the reads must never reach.
        char buffer[RUNTIME_PATH_SIZE + 40];
        memset(buffer, 'Z', sizeof buffer);

        testing::internal::CaptureStderr();
        bool read = PrepareRuntimePath(buffer, RUNTIME_PATH_SIZE);
        std::string warnings = testing::internal::GetCapturedStderr();

        EXPECT_EQ(std::string(buffer + RUNTIME_PATH_SIZE, 40), std::string(40, 'Z'));
        EXPECT_EQ(HostRegistryOpenKeyCount(), 0) << "a registry key was left open";
        EXPECT_TRUE(RecordedReports().empty());
        if (c.warnings.empty()) {
            EXPECT_TRUE(read);
            EXPECT_EQ(warnings, "");
            ASSERT_NE(memchr(buffer, '\0', RUNTIME_PATH_SIZE), nullptr) << "home not terminated";
            EXPECT_EQ(std::string(buffer), c.home);
        } else {
            EXPECT_FALSE(read);
            EXPECT_EQ(warnings, c.warnings + NO_RUNTIME);
            EXPECT_STREQ(getenv("PATH"), "/usr/bin:/bin");
        }
    }
}

TEST_F(RuntimeDiscoveryTest, QueryStringValueRefusesWhatDoesNotFitTheBuffer) {
    UseRegistry(RuntimeKeys("\"1.8\"", nullptr, ""));
    OsKey key = nullptr;
    const char* runtimeKey = "Software\\JavaSoft\\Java Runtime Environment";
    ASSERT_EQ(OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, runtimeKey, OS_KEY_READ, &key), OS_ERROR_SUCCESS);
    // "1.8" is stored in 4 bytes: a buffer must hold at least one byte more than that.
    struct Case {
        int32_t size;
        bool read;
    };
    const Case cases[] = {{0, false}, {3, false}, {4, false}, {5, true}, {260, true}};
    for (const Case& c : cases) {
        char buffer[300];
        memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(QueryStringValue(key, "CurrentVersion", buffer, c.size), c.read) << "size " << c.size;
        if (c.read) {
            EXPECT_STREQ(buffer, "1.8") << "size " << c.size;
        }
        EXPECT_EQ(std::string(buffer + 5, sizeof buffer - 5), std::string(sizeof buffer - 5, 'Z'));
    }
    OsRegCloseKey(key);
}

TEST_F(RuntimeDiscoveryTest, PathGetsTheRuntimeBinFirst) {
    UseRegistry(RuntimeKeys("\"1.8\"", "1.8", RegText(home_)));
    // The host keeps PATH in its POSIX form: "<home>\bin;<old>" reads back as "<home>/bin:<old>".
    struct Case {
        const char* old;  // null: unset
        std::string expected;
    };
    const Case cases[] = {
        {nullptr, home_ + "/bin"},
        {"/usr/bin:/bin", home_ + "/bin:/usr/bin:/bin"},
        {"", home_ + "/bin:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.old != nullptr ? c.old : "(unset)");
        ScopedEnv path("PATH", c.old);
        char buffer[RUNTIME_PATH_SIZE];
        testing::internal::CaptureStderr();
        EXPECT_TRUE(PrepareRuntimePath(buffer, sizeof buffer));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(buffer, home_);
        ASSERT_NE(getenv("PATH"), nullptr);
        EXPECT_EQ(std::string(getenv("PATH")), c.expected);
    }
}

TEST_F(RuntimeDiscoveryTest, LocateRuntimeFromRegistryToJvmPath) {
    struct Case {
        const char* name;
        const char* vmConfig;
        std::vector<std::string> types;  // those with a jvm.dll
        std::vector<std::string> arguments;
        const char* alternateVm;
        int32_t result;
        std::string path;  // %H stands for the home directory, %S for the scratch folder
        std::vector<std::string> kept;
        std::vector<std::string> reports;
        std::string warnings;
    };
    const char* cfg = "-client KNOWN\n-server KNOWN\n-old ERROR\n-tiny WARN\n";
    const std::string altDir = scratch_ + "/alt";
    MakeDirs(altDir);
    WriteFile(altDir + "/jvm.dll", "any file will do for the test");
    const std::vector<Case> cases = {
        {"default type", cfg, {"client"}, {}, nullptr, 0, "%H\\bin\\client\\jvm.dll", {}, {}, ""},
        {"type from the arguments", cfg, {"client", "server"}, {"-server", "-Dx=1", "Main", "-old"}, nullptr,
         0,
         "%H\\bin\\server\\jvm.dll", {"-Dx=1", "Main", "-old"}, {}, ""},
        {"no jvm.dll for the type", cfg, {"client"}, {"-J-server", "Main"}, nullptr, 1,
         "%H\\bin\\server\\jvm.dll",
         {"Main"}, {"Error: no `server' JVM at `%H\\bin\\server\\jvm.dll'."}, ""},
        {"ERROR is tried as a type", cfg, {"client", "ERROR"}, {"-old"}, nullptr, 0,
         "%H\\bin\\ERROR\\jvm.dll", {},
         {"Error: old VM not supported"}, ""},
        {"ERROR has no jvm.dll", cfg, {"client"}, {"-old"}, nullptr, 1, "%H\\bin\\ERROR\\jvm.dll", {},
         {"Error: old VM not supported", "Error: no `ERROR' JVM at `%H\\bin\\ERROR\\jvm.dll'."}, ""},
        {"warn uses the default", cfg, {"client"}, {"-tiny"}, nullptr, 0, "%H\\bin\\client\\jvm.dll", {}, {},
         "Warning: tiny VM not supported; client VM will be used\n"},
        {"altjvm directory", cfg, {}, {"-XXaltjvm=" + altDir, "Main"}, nullptr, 0, "%S/alt\\jvm.dll",
         {"Main"}, {},
         ""},
        {"JDK_ALTERNATE_VM directory without jvm.dll", cfg, {"client"}, {}, "D:\\vm", 1,
         "D:\\vm\\jvm.dll", {},
         {"Error: no `D:\\vm' JVM at `D:\\vm\\jvm.dll'."}, ""},
        {"jvm.cfg without rows", "# nothing\n", {"client"}, {"-server"}, nullptr, 1, "", {"-server"}, {}, ""},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.name);
        RemoveTree(home_);
        InstallRuntime(c.vmConfig, c.types);
        ScopedEnv alternate("JDK_ALTERNATE_VM", c.alternateVm);
        ScopedEnv path("PATH", "/usr/bin");
        auto expand = [&](std::string text) {
            const std::pair<std::string, std::string> marks[] = {{"%H", home_}, {"%S", scratch_}};
            for (const auto& [mark, value] : marks) {
                for (size_t at = text.find(mark); at != std::string::npos;
                     at = text.find(mark, at + value.size())) {
                    text.replace(at, 2, value);
                }
            }
            return text;
        };

        std::vector<std::string> storage(c.arguments);
        std::vector<char*> vector = {const_cast<char*>("Tarnbeck.exe")};
        for (std::string& argument : storage) {
            vector.push_back(&argument[0]);
        }
        int count = static_cast<int>(vector.size());
        char** arguments = vector.data();
        char runtimeHome[RUNTIME_PATH_SIZE];
        char vmLibraryPath[RUNTIME_PATH_SIZE];
        memset(vmLibraryPath, 'Z', sizeof vmLibraryPath);
        ClearRecordedReports();
        testing::internal::CaptureStderr();
        int32_t result = LocateRuntime(&count, &arguments, runtimeHome, RUNTIME_PATH_SIZE, vmLibraryPath);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warnings);

        EXPECT_EQ(result, c.result);
        EXPECT_EQ(runtimeHome, home_);
        EXPECT_EQ(std::string(getenv("PATH")), home_ + "/bin:/usr/bin") << "stays extended after a failure";
        std::vector<std::string> reports;
        for (const std::string& report : c.reports) {
            reports.push_back(expand(report));
        }
        EXPECT_EQ(RecordedReports(), reports);
        if (g_vmTable.count > 0) {
            EXPECT_EQ(std::string(vmLibraryPath), expand(c.path));
            std::vector<std::string> kept(arguments + 1, arguments + count);
            EXPECT_EQ(kept, c.kept);
            EXPECT_EQ(arguments[count], nullptr);
            free(arguments);
        } else {
            EXPECT_EQ(arguments, vector.data()) << "no selection without a table row";
        }
        ReleaseVmTable();
    }
}

TEST_F(RuntimeDiscoveryTest, LocateRuntimeStopsEarly) {
    struct Case {
        const char* name;
        bool registry;
        bool vmConfig;
        std::string warnings;
        std::vector<std::string> reports;
        bool pathExtended;
    };
    const std::vector<Case> cases = {
        {"no runtime in the registry", false, true, OPEN_RUNTIME_KEY_FAILED + NO_RUNTIME, {}, false},
        {"no jvm.cfg", true, false, "", {"Error: could not open `" + home_ + "\\lib\\jvm.cfg'"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(home_);
        MakeDirs(home_ + "/bin/client");
        WriteFile(home_ + "/bin/client/jvm.dll", "x");
        UseRegistry(c.registry ? RuntimeKeys("\"1.8\"", "1.8", RegText(home_)) : "");
        if (c.vmConfig) {
            WriteVmConfig(home_, "-client KNOWN\n");
        }
        ScopedEnv path("PATH", "/usr/bin");
        char program[] = "Tarnbeck.exe";
        char* vector[] = {program, nullptr};
        int count = 1;
        char** arguments = vector;
        char runtimeHome[RUNTIME_PATH_SIZE];
        char vmLibraryPath[RUNTIME_PATH_SIZE] = "untouched";
        ClearRecordedReports();
        testing::internal::CaptureStderr();
        EXPECT_EQ(LocateRuntime(&count, &arguments, runtimeHome, RUNTIME_PATH_SIZE, vmLibraryPath), 1);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warnings);
        EXPECT_EQ(RecordedReports(), c.reports);
        EXPECT_STREQ(getenv("PATH"), c.pathExtended ? (home_ + "/bin:/usr/bin").c_str() : "/usr/bin");
        EXPECT_EQ(arguments, vector);
        EXPECT_STREQ(vmLibraryPath, "untouched");
        EXPECT_EQ(g_vmTable.rows, nullptr);
    }
}

TEST_F(RuntimeDiscoveryTest, BuildVmLibraryPathFormsAndChecksThePath) {
    // The path buffer holds 259 characters: "<home>\bin\<type>\jvm.dll" adds 13 to the home and type.
    const size_t fitting = RUNTIME_PATH_SIZE - 1 - 13 - home_.size();
    const std::string exact(fitting, 't');
    const std::string over(fitting + 1, 't');
    for (const std::string& type : {std::string("client"), exact, over}) {
        MakeDirs(home_ + "/bin/" + type);
        WriteFile(home_ + "/bin/" + type + "/jvm.dll", "x");
    }
    // A path cut short at 259 characters would name this file: it must not count.
    WriteFile(home_ + "/bin/" + over + "/jvm.dl", "x");
    MakeDirs(home_ + "/bin/folder/jvm.dll");
    MakeDirs(scratch_ + "/alt");
    WriteFile(scratch_ + "/alt/jvm.dll", "x");
    struct Case {
        const char* name;
        std::string type;
        bool exists;
        std::string path;
    };
    const std::vector<Case> cases = {
        {"existing", "client", true, home_ + "\\bin\\client\\jvm.dll"},
        {"missing", "server", false, home_ + "\\bin\\server\\jvm.dll"},
        {"a directory named jvm.dll", "folder", true, home_ + "\\bin\\folder\\jvm.dll"},
        {"a slash makes it a directory", scratch_ + "/alt", true, scratch_ + "/alt\\jvm.dll"},
        {"a backslash makes it a directory", "D:\\vm", false, "D:\\vm\\jvm.dll"},
        {"ERROR", "ERROR", false, home_ + "\\bin\\ERROR\\jvm.dll"},
        {"empty", "", false, home_ + "\\bin\\\\jvm.dll"},
        {"exactly fits", exact, true, home_ + "\\bin\\" + exact + "\\jvm.dll"},
        {"one too long, though it exists", over, false,
         (home_ + "\\bin\\" + over + "\\jvm.dll").substr(0, 259)},
        {"directory far too long", "/" + std::string(400, 'd'), false,
         ("/" + std::string(400, 'd')).substr(0, 259)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char buffer[RUNTIME_PATH_SIZE + 200];
        memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(BuildVmLibraryPath(buffer, c.type.c_str(), home_.c_str()), c.exists);
        EXPECT_EQ(std::string(buffer), c.path);
        EXPECT_EQ(std::string(buffer + RUNTIME_PATH_SIZE, 200), std::string(200, 'Z'));
    }
}

TEST_F(RuntimeDiscoveryTest, BindVmEntryPointsNeedsBothExports) {
    MakeDirs(home_ + "/bin/client");
    LinkFile(FAKE_JVM_FULL, home_ + "/bin/client/jvm.dll");
    MakeDirs(home_ + "/bin/folder/jvm.dll");
    MakeDirs(home_ + "/bin/text");
    WriteFile(home_ + "/bin/text/jvm.dll", "not a library\n");
    struct Case {
        const char* name;
        std::string path;
        bool bound;
        bool createFound;
        bool initArgsFound;
        std::string report;
    };
    const std::string partial = FAKE_JVM_WITHOUT_INIT_ARGS;
    const std::vector<Case> cases = {
        {"both exports", home_ + "\\bin\\client\\jvm.dll", true, true, true, ""},
        {"no JNI_GetDefaultJavaVMInitArgs", partial, false, true, false,
         "Error: can't find JNI interfaces in: " + partial},
        {"missing file", home_ + "\\bin\\server\\jvm.dll", false, false, false,
         "Error loading: " + home_ + "\\bin\\server\\jvm.dll"},
        {"a directory named jvm.dll", home_ + "\\bin\\folder\\jvm.dll", false, false, false,
         "Error loading: " + home_ + "\\bin\\folder\\jvm.dll"},
        {"not a library", home_ + "\\bin\\text\\jvm.dll", false, false, false,
         "Error loading: " + home_ + "\\bin\\text\\jvm.dll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearRecordedReports();
        RuntimeEntryPoints entryPoints = {nullptr, nullptr};
        testing::internal::CaptureStderr();
        EXPECT_EQ(BindVmEntryPoints(c.path.c_str(), &entryPoints), c.bound);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(RecordedReports(),
                  c.report.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.report});
        ASSERT_EQ(entryPoints.createJavaVM != nullptr, c.createFound);
        ASSERT_EQ(entryPoints.getDefaultJavaVMInitArgs != nullptr, c.initArgsFound);
        // Each pointer reaches the export of its own name.
        if (c.createFound) {
            EXPECT_EQ(entryPoints.createJavaVM(nullptr, nullptr, nullptr), 4101);
        }
        if (c.initArgsFound) {
            EXPECT_EQ(entryPoints.getDefaultJavaVMInitArgs(nullptr), 4102);
        }
    }
}

TEST_F(RuntimeDiscoveryTest, LocatedLibraryBinds) {
    InstallRuntime("-client KNOWN\n", {"client"});
    ScopedEnv path("PATH", "/usr/bin");
    char program[] = "Tarnbeck.exe";
    char* vector[] = {program, nullptr};
    int count = 1;
    char** arguments = vector;
    char runtimeHome[RUNTIME_PATH_SIZE];
    char vmLibraryPath[RUNTIME_PATH_SIZE];
    ASSERT_EQ(LocateRuntime(&count, &arguments, runtimeHome, RUNTIME_PATH_SIZE, vmLibraryPath), 0);
    free(arguments);
    RuntimeEntryPoints entryPoints = {nullptr, nullptr};
    EXPECT_TRUE(BindVmEntryPoints(vmLibraryPath, &entryPoints));
    EXPECT_TRUE(RecordedReports().empty());
}

}  // namespace
