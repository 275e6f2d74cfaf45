// Win32 side: dynamic libraries through LoadLibraryA and GetProcAddress.
#include "os_library.h"

#include "windows_support.h"

OsLibrary OsLoadLibrary(const char* path) { return reinterpret_cast<OsLibrary>(LoadLibraryA(path)); }

// FARPROC and OsProc are both "some function": the caller converts to the export's real type.
OsProc OsGetProcAddress(OsLibrary library, const char* name) {
    return reinterpret_cast<OsProc>(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}
