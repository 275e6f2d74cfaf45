// Dynamic libraries: LoadLibraryA and GetProcAddress.
#pragma once

#include "os_types.h"

// Any exported function; callers convert it to the signature they know the export has.
typedef void (*OsProc)(void);

// LoadLibraryA(path): the module, or null.
OsLibrary OsLoadLibrary(const char* path);
// GetProcAddress(library, name): the export, or null.
OsProc OsGetProcAddress(OsLibrary library, const char* name);
