// The process environment, as the run-time library keeps it.
#pragma once

// getenv(name): the value, or null when the variable is not set.
const char* OsGetEnv(const char* name);
// _putenv("NAME=value"): sets the variable in the run-time library's copy and in the operating
// system's environment of the process, so libraries loaded later see it. 0 on success.
int OsPutEnv(const char* setting);
