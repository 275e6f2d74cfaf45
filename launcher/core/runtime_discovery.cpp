// Finding the installed Java runtime: its home from the registry, its bin directory first in PATH,
// its jvm.cfg and VM type, the path of that type's jvm.dll, and the binding of the JNI entry points.
#include "runtime_discovery.h"

#include "launch_shared.h"
#include "os_environment.h"
#include "os_file.h"
#include "os_library.h"
#include "os_module.h"
#include "os_registry.h"
#include "vm_select.h"
#include "vm_table.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char* const RUNTIME_KEY = "Software\\JavaSoft\\Java Runtime Environment";

// The size of the buffer that receives "CurrentVersion".
enum { RUNTIME_VERSION_SIZE = 260 };

// Fills runtimeHome (homeSize bytes) from the registry, finds jvm.cfg and the VM type (which may
// replace the argument vector) and forms vmLibraryPath (RUNTIME_PATH_SIZE bytes). Returns 0 when
// that jvm.dll exists, 1 otherwise; PATH stays extended even when a later step fails.
int32_t LocateRuntime(int* argumentCount, char*** arguments, char* runtimeHome, int32_t homeSize,
                      char* vmLibraryPath) {
    if (!PrepareRuntimePath(runtimeHome, homeSize)) {
        return 1;
    }
    if (LoadVmTable(runtimeHome, OsRuntimeArchitecture(), false) < 1) {
        return 1;
    }
    // "ERROR" is not tested for here: no runtime has a VM directory of that name, so the path test
    // below fails for it like for any other missing type.
    const char* vmType = SelectVmType(argumentCount, arguments, false);
    vmLibraryPath[0] = '\0';
    if (BuildVmLibraryPath(vmLibraryPath, vmType, runtimeHome)) {
        return 0;
    }
    ReportFormatted("Error: no `%s' JVM at `%s'.", vmType, vmLibraryPath);
    return 1;
}

// Reads the runtime's home into runtimeHome and puts "<home>\bin" first in PATH (the whole of PATH
// when it was not set). False, with a line on standard error, when the home cannot be read.
bool PrepareRuntimePath(char* runtimeHome, int32_t homeSize) {
    if (!ReadRuntimeHome(runtimeHome, homeSize)) {
        fputs("Error: could not find java.dll\n", stderr);
        return false;
    }
    const char* oldPath = OsGetEnv("PATH");
    size_t size = strlen("PATH=") + strlen(runtimeHome) + strlen("\\bin;") + 1;
    if (oldPath != nullptr) {
        size += strlen(oldPath);
    }
    // An environment is far below 2 GB; a size that does not fit is refused like an exhausted heap.
    char* setting = static_cast<char*>(AllocOrExit(size <= INT32_MAX ? static_cast<int32_t>(size) : -1));
    if (oldPath != nullptr) {
        snprintf(setting, size, "PATH=%s\\bin;%s", runtimeHome, oldPath);
    } else {
        snprintf(setting, size, "PATH=%s\\bin", runtimeHome);
    }
    // The environment keeps its own copy of the setting. A failed update only means that the
    // runtime's own libraries are searched for without its bin directory.
    OsPutEnv(setting);
    free(setting);
    return true;
}

// Reads JavaHome of the current runtime version under HKEY_LOCAL_MACHINE\Software\JavaSoft\Java
// Runtime Environment into buffer (size bytes). Each failure writes its line to standard error and
// returns false. Every key opened is closed on every path.
bool ReadRuntimeHome(char* buffer, int32_t size) {
    OsKey runtimeKey = nullptr;
    if (OsRegOpenKeyEx(OS_HKEY_LOCAL_MACHINE, RUNTIME_KEY, OS_KEY_READ, &runtimeKey) != OS_ERROR_SUCCESS) {
        fputs("Error opening registry key 'Software\\JavaSoft\\Java Runtime Environment'\n", stderr);
        return false;
    }
    char version[RUNTIME_VERSION_SIZE];
    if (!QueryStringValue(runtimeKey, "CurrentVersion", version, sizeof version)) {
        fputs("Failed reading value of registry key:\n"
              "\tSoftware\\JavaSoft\\Java Runtime Environment\\CurrentVersion\n",
              stderr);
        OsRegCloseKey(runtimeKey);
        return false;
    }
    OsKey versionKey = nullptr;
    if (OsRegOpenKeyEx(runtimeKey, version, OS_KEY_READ, &versionKey) != OS_ERROR_SUCCESS) {
        fprintf(stderr, "Error opening registry key 'Software\\JavaSoft\\Java Runtime Environment\\%s'\n",
                version);
        OsRegCloseKey(runtimeKey);
        return false;
    }
    if (!QueryStringValue(versionKey, "JavaHome", buffer, size)) {
        fprintf(stderr,
                "Failed reading value of registry key:\n"
                "\tSoftware\\JavaSoft\\Java Runtime Environment\\%s\\JavaHome\n",
                version);
        OsRegCloseKey(versionKey);
        OsRegCloseKey(runtimeKey);
        return false;
    }
    OsRegCloseKey(versionKey);
    OsRegCloseKey(runtimeKey);
    return true;
}

// Reads the REG_SZ value `valueName` of `key` into buffer (size bytes). False when the value is
// missing, of another type, or does not fit with room to spare (at most size - 1 stored bytes). The
// text is always terminated inside the buffer, also when the writer stored it without its zero.
bool QueryStringValue(OsKey key, const char* valueName, char* buffer, int32_t size) {
    uint32_t type = OS_REG_NONE;
    uint32_t needed = 0;
    if (OsRegQueryValueEx(key, valueName, &type, nullptr, &needed) != OS_ERROR_SUCCESS) {
        return false;
    }
    if (type != OS_REG_SZ || static_cast<int64_t>(needed) >= size) {
        return false;
    }
    uint32_t got = needed;
    if (OsRegQueryValueEx(key, valueName, &type, reinterpret_cast<unsigned char*>(buffer), &got) !=
            OS_ERROR_SUCCESS ||
        got > needed) {
        buffer[0] = '\0';
        return false;
    }
    // got < size: the zero fits even after a text stored without one.
    buffer[got] = '\0';
    return true;
}

// Forms the path of jvm.dll in vmLibraryPath (RUNTIME_PATH_SIZE bytes): "<vmType>\jvm.dll" when the
// type holds a '/' or '\' (a directory of its own), else "<home>\bin\<vmType>\jvm.dll". True when
// that path exists. A path too long for the buffer is cut short and fails like a missing jvm.dll.
bool BuildVmLibraryPath(char* vmLibraryPath, const char* vmType, const char* runtimeHome) {
    int length;
    if (strchr(vmType, '/') != nullptr || strchr(vmType, '\\') != nullptr) {
        length = snprintf(vmLibraryPath, RUNTIME_PATH_SIZE, "%s\\jvm.dll", vmType);
    } else {
        length = snprintf(vmLibraryPath, RUNTIME_PATH_SIZE, "%s\\bin\\%s\\jvm.dll", runtimeHome, vmType);
    }
    if (length < 0 || length >= RUNTIME_PATH_SIZE) {
        return false;
    }
    return OsPathExists(vmLibraryPath);
}

// Loads the library at vmLibraryPath and resolves JNI_CreateJavaVM and JNI_GetDefaultJavaVMInitArgs
// into *entryPoints (both stored before either is tested). False, reported through ReportFormatted,
// when the library does not load or lacks either export. The library is never unloaded.
bool BindVmEntryPoints(const char* vmLibraryPath, RuntimeEntryPoints* entryPoints) {
    OsLibrary library = OsLoadLibrary(vmLibraryPath);
    if (library == nullptr) {
        ReportFormatted("Error loading: %s", vmLibraryPath);
        return false;
    }
    entryPoints->createJavaVM =
        reinterpret_cast<decltype(entryPoints->createJavaVM)>(OsGetProcAddress(library, "JNI_CreateJavaVM"));
    entryPoints->getDefaultJavaVMInitArgs = reinterpret_cast<decltype(entryPoints->getDefaultJavaVMInitArgs)>(
        OsGetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs"));
    if (entryPoints->createJavaVM == nullptr || entryPoints->getDefaultJavaVMInitArgs == nullptr) {
        ReportFormatted("Error: can't find JNI interfaces in: %s", vmLibraryPath);
        return false;
    }
    return true;
}
