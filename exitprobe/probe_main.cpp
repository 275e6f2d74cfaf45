// ProbeMain: run the command as a child without a console, wait for it a bounded time, and end
// with its exit code.
#include "probe.h"

#include "os_process.h"

// Starts the command with no console window, detached from any console, and waits at most
// PROBE_WAIT_MILLISECONDS. Ends the process itself with the child's exit code, or with
// PROBE_NOT_RUN when the child cannot be created or its code cannot be read. Returns -1 only when
// the child outlived the wait; the child is left running. Any other wait result counts as the
// child's end, so a failed wait reads the code at once (OS_STILL_ACTIVE for a child still running).
int ProbeMain(OsInstance, char* command, int) {
    OsProcess child = nullptr;
    if (!OsCreateProcess(command, OS_CREATE_NO_WINDOW | OS_DETACHED_PROCESS, &child)) {
        OsExitProcess(PROBE_NOT_RUN);
    }
    if (OsWaitForProcess(child, PROBE_WAIT_MILLISECONDS) == OS_WAIT_TIMEOUT) {
        return -1;
    }
    uint32_t code = 0;
    if (!OsGetExitCodeProcess(child, &code)) {
        OsExitProcess(PROBE_NOT_RUN);
    }
    OsExitProcess(code);
}
