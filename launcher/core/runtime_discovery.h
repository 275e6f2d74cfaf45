// Finding the installed Java runtime through the registry and binding its jvm.dll.
#pragma once

#include "os_types.h"

#include <jni.h>

#include <stdint.h>

struct RuntimeEntryPoints {
    jint (JNICALL* createJavaVM)(JavaVM** vm, void** environment, void* initArgs);
    jint (JNICALL* getDefaultJavaVMInitArgs)(void* initArgs);
};

// Reads the runtime's home, puts its bin directory first in PATH, loads jvm.cfg, selects the VM type
// (which may replace the vector) and checks that its jvm.dll exists. 0 on success, 1 otherwise.
int32_t LocateRuntime(int* argumentCount, char*** arguments, char* runtimeHome, int32_t homeSize,
                      char* vmLibraryPath);
bool PrepareRuntimePath(char* runtimeHome, int32_t homeSize);
bool ReadRuntimeHome(char* buffer, int32_t size);
bool QueryStringValue(OsKey key, const char* valueName, char* buffer, int32_t size);
bool BuildVmLibraryPath(char* vmLibraryPath, const char* vmType, const char* runtimeHome);
// Loads jvm.dll and resolves both JNI entry points into *entryPoints.
bool BindVmEntryPoints(const char* vmLibraryPath, RuntimeEntryPoints* entryPoints);

// The size of runtimeHome and vmLibraryPath.
enum { RUNTIME_PATH_SIZE = 260 };
