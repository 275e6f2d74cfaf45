// Host side: the launcher's process start-up. main() stands in for the run-time library's start-up
// that calls the GUI entry on Windows.
#include "host_command_line.h"
#include "os_entry.h"

int main(int argc, char** argv) {
    HostKeepCommandLine(argc, argv);
    // LauncherEntry ignores its command-line text: it takes argc and argv from OsCommandLineArguments.
    static char noCommandLine[] = "";
    return LauncherEntry(nullptr, nullptr, noCommandLine, 1);
}
