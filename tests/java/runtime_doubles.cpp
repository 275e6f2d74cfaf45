// Scripted LocateRuntime, BindVmEntryPoints and ReleaseVmTable. Linked into the unit tests in place
// of the real ones, which stay in the core library unused.
#include "runtime_doubles.h"

#include "fake_jni.h"
#include "runtime_discovery.h"
#include "vm_table.h"

#include <stdio.h>

RuntimeDoubles g_runtimeDoubles;

const char FAKE_VM_LIBRARY_PATH[] = "C:\\jre\\bin\\server\\jvm.dll";

// The replacement vector's strings and array, null-terminated as SelectVmType builds it.
static std::vector<char*> g_replacementVector;

int32_t LocateRuntime(int* argumentCount, char*** arguments, char* runtimeHome, int32_t homeSize,
                      char* vmLibraryPath) {
    RuntimeDoubles& doubles = g_runtimeDoubles;
    doubles.locateCalls++;
    doubles.locatedVector.assign(*arguments, *arguments + *argumentCount);
    snprintf(runtimeHome, static_cast<size_t>(homeSize), "%s", "C:\\jre");
    snprintf(vmLibraryPath, RUNTIME_PATH_SIZE, "%s", FAKE_VM_LIBRARY_PATH);
    if (doubles.replaceVector) {
        g_replacementVector.clear();
        for (std::string& argument : doubles.replacement) {
            g_replacementVector.push_back(&argument[0]);
        }
        g_replacementVector.push_back(nullptr);
        *argumentCount = static_cast<int>(doubles.replacement.size());
        *arguments = g_replacementVector.data();
    }
    return doubles.locateResult;
}

bool BindVmEntryPoints(const char* vmLibraryPath, RuntimeEntryPoints* entryPoints) {
    RuntimeDoubles& doubles = g_runtimeDoubles;
    doubles.bindCalls++;
    doubles.boundPath = vmLibraryPath;
    doubles.entryPointsNullOnBind =
        entryPoints->createJavaVM == nullptr && entryPoints->getDefaultJavaVMInitArgs == nullptr;
    if (doubles.bindResult) {
        entryPoints->createJavaVM = FakeCreateJavaVM;
        entryPoints->getDefaultJavaVMInitArgs = FakeGetDefaultJavaVMInitArgs;
    }
    return doubles.bindResult;
}

void ReleaseVmTable(void) { g_runtimeDoubles.releaseCalls++; }
