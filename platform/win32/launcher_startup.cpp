// Win32 side: the launcher's process entry, in place of MinGW's C runtime start-up objects, which
// would cost about a third of the program. The launcher still uses the C runtime (msvcrt.dll), so
// this start-up does the part of their work it depends on: it has msvcrt initialise itself and
// split the command line into __argc/__argv, runs the static constructors, and ends the process
// through exit() so that atexit handlers and stdio flushing still run. The linker names
// TarnbeckStartup as the entry point.
#include "os_entry.h"

#include "windows_support.h"

#include <stdlib.h>

// msvcrt's own start-up services, exported for the start-up code of the programs that use it; no
// header declares them. Their reserved names are the C runtime's, so the check for reserved
// identifiers does not apply to these declarations.
extern "C" __declspec(dllimport) void __set_app_type(int type);  // NOLINT(bugprone-reserved-identifier)
extern "C" __declspec(dllimport) void __getmainargs(  // NOLINT(bugprone-reserved-identifier)
    int* argc, char*** argv, char*** environment, int expandWildcards, int* newMode);
// MinGW's (libmingw32): runs the static constructors and registers the destructors with atexit.
extern "C" void __main(void);  // NOLINT(bugprone-reserved-identifier)

namespace {

const int GUI_APPLICATION = 2;

}  // namespace

// MinGW's start-up objects defined atexit for the program; without them it comes from here. It
// registers in msvcrt's table of the program, which exit() runs.
extern "C" int atexit(void (*function)(void)) {
    return _onexit(reinterpret_cast<_onexit_t>(function)) != nullptr ? 0 : -1;
}

// Windows enters here with no arguments and a stack aligned only to 4 bytes on i686, so the
// function realigns it. It does not return: exit() ends the process with LauncherEntry's result.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void TarnbeckStartup(void) {
    __set_app_type(GUI_APPLICATION);
    // msvcrt keeps the split in its __argc/__argv, which OsCommandLineArguments reads; wildcards
    // stay unexpanded, as with MinGW's own start-up. The msvcrt.dll of older systems returns
    // nothing from __getmainargs, so a failed split shows as an argv still unset; the process then
    // ends with 255, the code msvcrt itself gives a start-up that runs out of memory.
    int argc = 0;
    char** argv = nullptr;
    char** environment = nullptr;
    int newMode = 0;
    __getmainargs(&argc, &argv, &environment, 0, &newMode);
    if (argv == nullptr) {
        ExitProcess(255);
    }
    __main();

    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    exit(LauncherEntry(reinterpret_cast<OsInstance>(GetModuleHandleA(nullptr)), nullptr, GetCommandLineA(),
                       show));
}
