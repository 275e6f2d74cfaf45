// Win32 side: the running program's path, the working directory, the thread locale, the run-time
// library's argc/argv and the build's architecture name.
#include "os_module.h"

#include "windows_support.h"

#include <stdlib.h>

// Windows XP leaves a cut path unterminated and reports the full buffer size; later systems
// terminate it. Terminating it here gives the layer's contract on both.
uint32_t OsGetModuleFileName(char* buffer, uint32_t size) {
    if (size == 0) {
        return 0;
    }
    DWORD copied = GetModuleFileNameA(nullptr, buffer, size);
    if (copied == 0) {
        buffer[0] = '\0';
    } else if (copied >= size) {
        buffer[size - 1] = '\0';
    }
    return copied;
}

bool OsSetCurrentDirectory(const char* path) { return SetCurrentDirectoryA(path) != 0; }

uint32_t OsGetSystemDefaultLCID(void) { return GetSystemDefaultLCID(); }

void OsSetThreadLocale(uint32_t locale) { SetThreadLocale(locale); }

void OsCommandLineArguments(int* argc, char*** argv) {
    *argc = __argc;
    *argv = __argv;
}

// The Java runtime names its 32-bit x86 directories "i386" and its 64-bit ones "amd64"; which one
// this program is, is fixed when it is compiled.
const char* OsRuntimeArchitecture(void) { return sizeof(void*) == 8 ? "amd64" : "i386"; }
