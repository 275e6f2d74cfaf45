// Process identity and context: the running program's path, the working directory, the thread
// locale, the command line as the run-time library split it, and the Java architecture name.
#pragma once

#include <stdint.h>

// GetModuleFileNameA(NULL, buffer, size): the running program's full path, with '\' separators.
// Returns the number of characters copied; a path that does not fit is cut to size - 1 characters
// and still terminated.
uint32_t OsGetModuleFileName(char* buffer, uint32_t size);

// SetCurrentDirectoryA(path). True on success.
bool OsSetCurrentDirectory(const char* path);

// GetSystemDefaultLCID() and SetThreadLocale(locale).
uint32_t OsGetSystemDefaultLCID(void);
void OsSetThreadLocale(uint32_t locale);

// The run-time library's argc and argv for this process (program name first).
void OsCommandLineArguments(int* argc, char*** argv);

// The name of this build's architecture as a Java runtime's lib directory names it: "i386" for the
// 32-bit build and the host, "amd64" for the 64-bit Windows build.
const char* OsRuntimeArchitecture(void);
