// Host side: the launcher's process start-up. main() stands in for the Windows start-up that calls
// the GUI entry.
#include "host_command_line.h"
#include "os_entry.h"

int main(int argc, char** argv) {
    HostKeepCommandLine(argc, argv);
    // LauncherEntry ignores its command-line text: it takes argc and argv from OsCommandLineArguments.
    static char noCommandLine[] = "";
    return LauncherEntry(nullptr, nullptr, noCommandLine, 1);
}
