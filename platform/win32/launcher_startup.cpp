// Win32 side: the launcher's process entry. The C runtime's start-up runs first (it splits the
// command line into __argc/__argv and calls WinMain) and ends the process with WinMain's result.
#include "os_entry.h"

#include "windows_support.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState) {
    return LauncherEntry(reinterpret_cast<OsInstance>(instance), reinterpret_cast<OsInstance>(previous),
                         commandLine, showState);
}
