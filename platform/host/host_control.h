// Test-only control of the host emulation: point the registry at a file, deny writes below a key,
// make the Nth call of a service fail, count open registry keys, and read back the message boxes.
// Product code never includes this header.
#pragma once

#include <stdint.h>

// The registry file. Null goes back to TARNBECK_REGISTRY, else registry.reg beside the program.
// Whatever was loaded is dropped; the file is read again on the next registry call.
void HostRegistryUseFile(const char* path);
// Writes (create, set, delete) at or below keyPath ("HKEY_LOCAL_MACHINE\Software", say) fail with
// OS_ERROR_ACCESS_DENIED, as TARNBECK_REGISTRY_READONLY does. Null lifts the protection.
void HostRegistryDenyWritesBelow(const char* keyPath);
// Keys opened or created and not yet closed.
int HostRegistryOpenKeyCount(void);

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
    HOST_SERVICE_COUNT
};
void HostFailNthCall(HostService service, int n, int32_t error);
// Disarms every pending failure and lifts the write protection.
void HostResetFaults(void);
