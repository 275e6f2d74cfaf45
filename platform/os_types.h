// Types and constants shared by every platform service. The values are Windows' own, so logic files
// can compare results the way the Windows documentation describes them without including <windows.h>.
#pragma once

#include <stdint.h>

// Opaque handles: only platform/win32/ knows they are HKEY, HMODULE, HANDLE or HINSTANCE.
typedef struct OsKeyOpaque* OsKey;
typedef struct OsLibraryOpaque* OsLibrary;
typedef struct OsProcessOpaque* OsProcess;
typedef struct OsInstanceOpaque* OsInstance;

// Win32 error codes as the registry calls return them.
enum : int32_t {
    OS_ERROR_SUCCESS = 0,
    OS_ERROR_FILE_NOT_FOUND = 2,
    OS_ERROR_ACCESS_DENIED = 5,
    OS_ERROR_INVALID_HANDLE = 6,
    OS_ERROR_NOT_ENOUGH_MEMORY = 8,
    OS_ERROR_OUTOFMEMORY = 14,
    OS_ERROR_WRITE_FAULT = 29,
    OS_ERROR_INVALID_PARAMETER = 87,
    OS_ERROR_MORE_DATA = 234,
};
