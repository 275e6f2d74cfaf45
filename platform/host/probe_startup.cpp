// Host side: the probe's process start-up. POSIX hands the program its arguments already split, so
// they are joined back into the command line a Windows process would have been given; the probe
// then cuts its own name off it exactly as on Windows, and its child is split from the same text.
#include "os_entry.h"

#include "host_crt_command_line.h"

#include <stdlib.h>

int main(int argc, char** argv) {
    char* commandLine = HostJoinCommandLine(argc, argv);
    if (commandLine == nullptr) {
        // No memory for the command line: no child can be created either.
        return 255;
    }
    int result = ProbeMain(nullptr, ProbeCommandAfterProgramName(commandLine), 1);
    free(commandLine);
    return result;
}
