// Fuzz target: runtime discovery over random registry contents. Input: a settings line ("nopath"
// starts without PATH, "fail=<service>:<n>" arms a registry failure), then the registry file. A
// runtime folder "rt" lies in the working directory (the scratch folder), so a JavaHome of "rt"
// goes all the way to a jvm.dll. Discovery only reads: the registry file must not change, every key
// opened must be closed, and a home that was read must be a JavaHome text of the registry,
// terminated inside its 260-byte buffer.
#include "fuzz_check.h"
#include "fuzz_registry.h"
#include "harness_input.h"
#include "host_control.h"
#include "os_registry.h"
#include "recording_reports.h"
#include "runtime_discovery.h"
#include "scratch_folder.h"
#include "vm_table.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <string>

// The runtime folder "rt" of the scratch folder: a jvm.cfg and a jvm.dll for the server VM.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string folder = ScratchFolder() + "/rt";
    for (const char* sub : {"", "/lib", "/lib/i386", "/bin", "/bin/server"}) {
        mkdir((folder + sub).c_str(), 0755);
    }
    static const char kConfig[] = "-server KNOWN\n-client ALIASED_TO -server\n";
    WriteScratchFile(folder + "/lib/i386/jvm.cfg", reinterpret_cast<const unsigned char*>(kConfig),
                     sizeof kConfig - 1);
    WriteScratchFile(folder + "/bin/server/jvm.dll", nullptr, 0);
    return 0;
}

// Whether some REG_SZ value named JavaHome that fits the buffer reads as `home`.
static bool IsJavaHomeText(const RegStore& store, const char* home) {
    for (const RegKey& key : store.keys) {
        const RegValue* value = key.deleted ? nullptr : RegFindValue(key, "JavaHome");
        if (value != nullptr && value->type == OS_REG_SZ && value->data.size() < RUNTIME_PATH_SIZE &&
            strcmp(value->data.c_str(), home) == 0) {
            return true;
        }
    }
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string originalPath = getenv("PATH") != nullptr ? getenv("PATH") : "/usr/bin:/bin";

    std::string settings, registry;
    SplitHarnessInput(data, size, &settings, &registry);
    std::string path = UseFuzzRegistry(registry);
    RegStore store;
    bool readable = LoadRegistryFile(path, &store);
    const char* kMarker = "unchanged-by-the-launcher";
    bool pathUnset = HarnessFlag(settings, "nopath");
    if (pathUnset) {
        unsetenv("PATH");
    } else {
        setenv("PATH", kMarker, 1);
    }
    ArmRegistryFault(HarnessSetting(settings, "fail"));
    int openBefore = HostRegistryOpenKeyCount();

    char program[] = "Tarnbeck.exe";
    char jar[] = "-jar";
    char jarName[] = "Tarnbeck.jar";
    char* vector[] = {program, jar, jarName, nullptr};
    int argumentCount = 3;
    char** arguments = vector;
    // Exactly the launcher's buffers, so a write past either is caught.
    char* runtimeHome = static_cast<char*>(malloc(RUNTIME_PATH_SIZE));
    char* vmLibraryPath = static_cast<char*>(malloc(RUNTIME_PATH_SIZE));
    memset(runtimeHome, 'h', RUNTIME_PATH_SIZE);
    memset(vmLibraryPath, 'v', RUNTIME_PATH_SIZE);
    EnterScratchFolder();
    int32_t result = LocateRuntime(&argumentCount, &arguments, runtimeHome, RUNTIME_PATH_SIZE, vmLibraryPath);
    LeaveScratchFolder();

    FUZZ_CHECK(result == 0 || result == 1, "a result other than 0 or 1");
    FUZZ_CHECK(HostRegistryOpenKeyCount() == openBefore, "a registry key left open");
    FUZZ_CHECK(ReadFile(path) == registry, "discovery changed the registry file");
    // PATH changes exactly when the home was read.
    const char* newPath = getenv("PATH");
    bool homeRead = newPath != nullptr && (pathUnset || strcmp(newPath, kMarker) != 0);
    if (homeRead) {
        FUZZ_CHECK(readable, "a home read from a registry file that was refused");
        FUZZ_CHECK(memchr(runtimeHome, '\0', RUNTIME_PATH_SIZE) != nullptr, "an unterminated home");
        FUZZ_CHECK(IsJavaHomeText(store, runtimeHome), "a home that is no JavaHome of the registry");
    }
    if (result == 0) {
        FUZZ_CHECK(homeRead, "a runtime found without its home");
        FUZZ_CHECK(memchr(vmLibraryPath, '\0', RUNTIME_PATH_SIZE) != nullptr, "an unterminated jvm.dll path");
    }

    if (arguments != vector) {
        free(arguments);
    }
    free(runtimeHome);
    free(vmLibraryPath);
    ReleaseVmTable();
    ClearRecordedReports();
    HostResetFaults();
    setenv("PATH", originalPath.c_str(), 1);
    return 0;
}
