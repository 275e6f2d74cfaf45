// Test doubles of runtime discovery and the VM table for LauncherMain's unit tests: LocateRuntime,
// BindVmEntryPoints and ReleaseVmTable as scripted here, binding the fake runtime of fake_jni.h.
#pragma once

#include <string>
#include <vector>

struct RuntimeDoubles {
    // Script.
    int locateResult = 0;
    bool bindResult = true;
    bool replaceVector = false;             // LocateRuntime hands back `replacement` instead
    std::vector<std::string> replacement;  // program name first

    // Record.
    int locateCalls = 0;
    std::vector<std::string> locatedVector;  // the vector LocateRuntime was given
    int bindCalls = 0;
    std::string boundPath;
    bool entryPointsNullOnBind = false;
    int releaseCalls = 0;
};

extern RuntimeDoubles g_runtimeDoubles;

// The jvm.dll path the LocateRuntime double reports.
extern const char FAKE_VM_LIBRARY_PATH[];
