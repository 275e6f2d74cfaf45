// Win32 side: the probe's process entry, in place of the C runtime's start-up. The probe cuts its
// own name off the command line, so it needs nothing the run-time library's start-up prepares and
// links only KERNEL32; the linker names ProbeStartup as the entry point.
#include "os_entry.h"

#include "windows_support.h"

// The image's own base address, which is its instance handle; the linker defines it.
extern "C" IMAGE_DOS_HEADER __ImageBase;

// Windows enters here with no arguments and a stack aligned only to 4 bytes on i686, so the
// function realigns it. It does not return: ExitProcess ends the process with ProbeMain's result,
// as the run-time library would after a WinMain.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void ProbeStartup(void) {
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    char* command = ProbeCommandAfterProgramName(GetCommandLineA());
    ExitProcess(static_cast<UINT>(ProbeMain(reinterpret_cast<OsInstance>(&__ImageBase), command, show)));
}
