// Test doubles of the launcher core and the magnet registration, linked into the RunLaunch tests in
// place of the real ones: they record what RunLaunch hands them and return a scripted result.
#pragma once

#include <string>
#include <vector>

struct LaunchDoubleRecord {
    std::vector<std::string> calls;       // "RegisterMagnetHandler" and "LauncherMain", in call order
    std::vector<std::string> vector;      // the launch vector's texts as LauncherMain saw them
    std::vector<char*> vectorPointers;    // the same entries as pointers
    std::string workingDirectory;         // the working directory when LauncherMain was called
    int result = 0;                       // what LauncherMain returns
};

// The record of the doubles; ResetLaunchDoubles clears it and scripts LauncherMain's result.
LaunchDoubleRecord& LaunchDoubles();
void ResetLaunchDoubles(int result);
