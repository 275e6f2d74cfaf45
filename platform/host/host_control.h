// Test-only control of the host emulation: point the registry at a file, deny writes below a key,
// make the Nth call of a service fail, count open registry keys, set the program's path, and read back
// the thread locale and the library loaded. Message boxes are read back from their log
// (TARNBECK_DIALOG_LOG). Product code never includes this header.
#pragma once

#include <stdint.h>

// Errors of the host registry that Windows has codes for but os_types.h does not name.
enum : int32_t {
    // The registry file could not be read or parsed: it was reported on standard error when it was
    // loaded ("registry file `PATH' line N: WHAT"), every registry call fails with this code until
    // HostRegistryUseFile, and the file is never written (ERROR_BADDB).
    HOST_ERROR_BADDB = 1009,
    // The key behind the handle has been deleted since it was opened (ERROR_KEY_DELETED).
    HOST_ERROR_KEY_DELETED = 1018,
};

// The registry file. Null goes back to TARNBECK_REGISTRY, else registry.reg beside the program.
// Whatever was loaded is dropped; the file is read again on the next registry call. Handles opened
// before then fail with OS_ERROR_INVALID_HANDLE (they can still be closed). Each change is saved
// through a temporary file named like the registry file with ".tmp" appended.
void HostRegistryUseFile(const char* path);
// Writes (create, set, delete) at or below keyPath ("HKEY_LOCAL_MACHINE\Software", say) fail with
// OS_ERROR_ACCESS_DENIED, as TARNBECK_REGISTRY_READONLY does. Null lifts the protection.
void HostRegistryDenyWritesBelow(const char* keyPath);
// Keys opened or created and not yet closed.
int HostRegistryOpenKeyCount(void);

// The running program's path for OsGetModuleFileName (POSIX form; the logic sees it with '\'), and so
// the folder of the default registry.reg. Null goes back to the real one (/proc/self/exe).
void HostUseModuleFileName(const char* path);
// The locale last handed to OsSetThreadLocale; 0 before the first call.
uint32_t HostThreadLocale(void);
// The path last handed to OsLoadLibrary, as the logic wrote it; "" before the first call.
const char* HostLastLibraryPath(void);

// Fault injection over the emulated services, counted from the call of HostFailNthCall: the Nth later
// call of that service (1 = the next one) fails with `error` (a Win32 error code for the registry;
// ignored where the service reports a plain failure). Each call arms one failure per service.
enum HostService {
    HOST_REG_OPEN,        // OsRegOpenKeyEx and OsRegOpenKey
    HOST_REG_CREATE,      // OsRegCreateKey
    HOST_REG_QUERY,       // OsRegQueryValueEx
    HOST_REG_SET,         // OsRegSetValueEx
    HOST_REG_DELETE,      // OsDeleteKeyTree
    HOST_LOAD_LIBRARY,    // OsLoadLibrary
    HOST_CREATE_PROCESS,  // OsCreateProcess
    HOST_WAIT_PROCESS,    // OsWaitForProcess: answers OS_WAIT_FAILED
    HOST_SERVICE_COUNT
};
void HostFailNthCall(HostService service, int n, int32_t error);
// Disarms every pending failure and lifts the write protection.
void HostResetFaults(void);
