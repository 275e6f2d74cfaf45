// The host's command lines: a Windows command line split into arguments the way the Microsoft C
// runtime splits it, and arguments joined into a command line that splits back into the same
// arguments. The process emulation starts children from such lines.
#pragma once

// Splits commandLine as the Microsoft C runtime does for its argv. Returns one malloc'd block
// holding a null-terminated array of *argc pointers and the argument texts behind it (release it
// with a single free), or null when memory runs out. Element 0 always exists, possibly "".
char** HostSplitCommandLine(const char* commandLine, int* argc);

// Joins argv[0..argc-1] into one malloc'd command line (release with free), or null when memory
// runs out. Element 0 is the program name and is always quoted, so the name cut of the probe and
// the run-time library both end exactly after it; the rest are quoted only where the split needs
// it. A double quote inside element 0 cannot be expressed in a program name and is dropped.
char* HostJoinCommandLine(int argc, char* const* argv);
