// Win32 side: child processes through KERNEL32's CreateProcessA, WaitForSingleObject and
// GetExitCodeProcess, the process end and the code page's lead-byte test. The probe links this file
// without the C runtime, so it calls nothing but KERNEL32.
#include "os_process.h"

#include "windows_support.h"

// The startup record is zero but for its size: no window placement, show state or standard
// handles for the child. The thread handle is not closed, nor is the process handle ever: the
// probe ends right after the wait and the system releases both with it.
bool OsCreateProcess(char* commandLine, uint32_t creationFlags, OsProcess* process) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, creationFlags, nullptr, nullptr,
                        &startup, &created)) {
        return false;
    }
    *process = reinterpret_cast<OsProcess>(created.hProcess);
    return true;
}

uint32_t OsWaitForProcess(OsProcess process, uint32_t milliseconds) {
    return WaitForSingleObject(reinterpret_cast<HANDLE>(process), milliseconds);
}

bool OsGetExitCodeProcess(OsProcess process, uint32_t* code) {
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &exitCode)) {
        return false;
    }
    *code = exitCode;
    return true;
}

void OsExitProcess(uint32_t code) { ExitProcess(code); }

bool OsIsDbcsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }
