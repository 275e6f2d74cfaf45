// Scratch installations of the host Tarnbeck for end-to-end runs, and running the launcher in one.
#pragma once

#include "test_files.h"

#include <string>
#include <vector>

// A Java runtime home shaped like a Windows one below `folder`: bin/server/jvm.dll linking to the
// machine's libjvm.so, and lib/jvm.cfg naming the server VM. Returns the home's POSIX path.
std::string MakeRuntimeHome(const std::string& folder);

struct Installation {
    std::string root;    // the scratch folder; the launcher is started from here
    std::string folder;  // the launcher's own folder below it
};

// A folder holding a copy of the host Tarnbeck (a copy: the launcher works in the folder its
// /proc/self/exe resolves to), the named fixture jars, launch.properties with `launchProperties`
// (no file when null), and registry.reg naming runtimeHome as the current Java runtime's JavaHome.
Installation MakeInstallation(const std::string& runtimeHome, const char* launchProperties,
                              const std::vector<std::string>& jars);

struct LaunchOutcome {
    int exitCode;  // -1 when the launcher did not end by itself in time, or ended by a signal
    std::string out;
    std::string err;
    bool boxLogWritten;
    std::vector<LoggedBox> boxes;
};

// Runs the installation's launcher with `arguments`, working directory the scratch root, message
// boxes logged to a file, and the Java environment variables that would change the VM's output
// removed. Waits at most 90 seconds.
LaunchOutcome RunLauncher(const Installation& installation, const std::vector<std::string>& arguments);
