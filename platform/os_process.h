// Child processes, for the exit-code probe: CreateProcessA, WaitForSingleObject, GetExitCodeProcess,
// ExitProcess, and the code page's lead-byte test.
#pragma once

#include "os_types.h"

enum : uint32_t {
    OS_DETACHED_PROCESS = 0x00000008,
    OS_CREATE_NO_WINDOW = 0x08000000,
};

enum : uint32_t {
    OS_WAIT_OBJECT_0 = 0x0,
    OS_WAIT_TIMEOUT = 0x102,
    OS_WAIT_FAILED = 0xFFFFFFFF,
    OS_STILL_ACTIVE = 259,
};

// CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, creationFlags, NULL, NULL, &startup, &info)
// with a zeroed STARTUPINFOA carrying its own size. True on success; *process is the child.
bool OsCreateProcess(char* commandLine, uint32_t creationFlags, OsProcess* process);
// WaitForSingleObject(process, milliseconds): OS_WAIT_OBJECT_0, OS_WAIT_TIMEOUT or OS_WAIT_FAILED.
uint32_t OsWaitForProcess(OsProcess process, uint32_t milliseconds);
// GetExitCodeProcess(process, code). True on success; a running child reads OS_STILL_ACTIVE.
bool OsGetExitCodeProcess(OsProcess process, uint32_t* code);
// ExitProcess(code).
[[noreturn]] void OsExitProcess(uint32_t code);
// IsDBCSLeadByte(byte) in the system code page.
bool OsIsDbcsLeadByte(unsigned char byte);
