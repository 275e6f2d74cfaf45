// The test binary doubles as the child that the probe and the process emulation start: given one
// of the flags below as its first argument it plays that part and ends instead of running tests.
//   --exit-with N          ends with exit code N
//   --die-by-signal N      ends by signal N
//   --linger PIDFILE       drops its inherited descriptors, writes its pid to PIDFILE, then sleeps
//                          60 s (tests kill it sooner)
//   --write-args FILE ...  writes the arguments after FILE to FILE, each ended by a zero byte
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Plays the part argv[1] names, if any: true with *exitCode set when it did.
bool RunChildMode(int argc, char** argv, int* exitCode);

// This test binary's own path.
std::string SelfPath();

// The command line that starts args[0] with the rest as its arguments, quoted as the host's join
// quotes it.
std::string CommandLineOf(const std::vector<std::string>& args);

// Starts args[0] with the rest as arguments, directly (no probe); the pid, or -1.
pid_t StartProgram(const std::vector<std::string>& args);
// waitpid's status for the child.
int WaitStatus(pid_t pid);

// The pid a --linger child wrote, waiting up to 10 s for the file; -1 when it never came.
pid_t ReadLingerPid(const std::string& pidFile);
// The process exists and has not ended (a zombie has ended).
bool IsRunning(pid_t pid);
