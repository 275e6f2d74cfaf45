// The launcher's process entry: the thread locale, then the launch sequence.
#include "os_entry.h"
#include "os_module.h"
#include "run_launch.h"

// Called by the platform's start-up after the run-time library's own; the Windows GUI arguments are
// not used. Texts the launcher compares and shows are in the system's ANSI code page, so the thread
// works in the system's default locale. The result is the process exit code.
int LauncherEntry(OsInstance, OsInstance, char*, int) {
    OsSetThreadLocale(OsGetSystemDefaultLCID());
    int argc = 0;
    char** argv = nullptr;
    OsCommandLineArguments(&argc, &argv);
    return RunLaunch(argc, argv);
}
