// Program entries. Each program defines its entry; the platform's process start-up (the launcher's
// and the probe's own on Windows, main() on the host) calls it.
#pragma once

#include "os_types.h"

// The launcher's GUI entry, called once the run-time library is initialised, with the four arguments
// of a Windows GUI entry (the command line whole); its result is the process exit code.
int LauncherEntry(OsInstance instance, OsInstance previous, char* commandLine, int showState);

// The probe's entry. Its start-up needs nothing of the run-time library: it takes the process's whole
// command line, cuts the program name off with ProbeCommandAfterProgramName and hands the rest to
// ProbeMain, which ends the process itself or returns the exit code.
char* ProbeCommandAfterProgramName(char* commandLine);
int ProbeMain(OsInstance instance, char* command, int showState);
