// Win32 side: the process environment through the C runtime's getenv and _putenv.
#include "os_environment.h"

#include <stdlib.h>

const char* OsGetEnv(const char* name) { return getenv(name); }

// msvcrt's _putenv updates its own table and also calls SetEnvironmentVariableA for the process, so
// a PATH set here is the one LoadLibraryA searches.
int OsPutEnv(const char* setting) { return _putenv(setting); }
