// Running a built program as a child process, for the end-to-end tests of the host launcher.
#pragma once

#include <string>
#include <vector>

// Runs `program` with `arguments` (argv[0] is the program's path) in this process's environment,
// waits for it and returns its exit code; 128 + the signal number when a signal ended it, -1 when it
// could not be started. Under AddressSanitizer the child's leak check is switched off: the launcher
// keeps its launch lines and option texts until the process ends, by design.
int RunProgram(const std::string& program, const std::vector<std::string>& arguments);
