// Host side, internal: how a process start-up hands main()'s argc and argv to OsCommandLineArguments.
#pragma once

// Keeps argc and argv (not copied: main()'s vector lives as long as the process).
void HostKeepCommandLine(int argc, char** argv);
