// Recording doubles of LauncherMain and RegisterMagnetHandler for the RunLaunch tests.
#include "launch_doubles.h"

#include "launcher_main.h"
#include "magnet_registration.h"

#include <limits.h>
#include <unistd.h>

static LaunchDoubleRecord g_record;

LaunchDoubleRecord& LaunchDoubles() { return g_record; }

void ResetLaunchDoubles(int result) {
    g_record = LaunchDoubleRecord();
    g_record.result = result;
}

void RegisterMagnetHandler(void) { g_record.calls.push_back("RegisterMagnetHandler"); }

LaunchResult LauncherMain(int argumentCount, char** arguments) {
    g_record.calls.push_back("LauncherMain");
    for (int i = 0; i < argumentCount; ++i) {
        g_record.vector.push_back(arguments[i]);
        g_record.vectorPointers.push_back(arguments[i]);
    }
    char directory[PATH_MAX];
    g_record.workingDirectory = getcwd(directory, sizeof directory) != nullptr ? directory : "";
    return static_cast<LaunchResult>(g_record.result);
}
