// The launch sequence: the launcher's folder as working directory, the launch vector, the magnet
// decision, the launcher core, and the message box for the result.
#include "run_launch.h"

#include "launch_properties.h"
#include "launcher_main.h"
#include "magnet_registration.h"
#include "os_dialog.h"
#include "os_module.h"

#include <stdlib.h>
#include <string.h>

enum { MODULE_PATH_SIZE = 261 };

static const char RUNTIME_TEXT[] =
    "Tarnbeck was unable to load the Java Runtime Environment.\n"
    "Please download and install a newer version from https://www.java.com.";

// The box text for a launcher result, or null for a result that shows no box.
static const char* LaunchResultText(int result) {
    switch (result) {
        case LAUNCH_RUNTIME_NOT_LOADED:
        case LAUNCH_VM_NOT_CREATED:
        case LAUNCH_NO_RUNTIME:
            return RUNTIME_TEXT;
        case LAUNCH_BAD_ARGUMENTS:
            return "Tarnbeck failed to parse the commandline arguments to Java.\n"
                   "Please download and install Tarnbeck again.";
        case LAUNCH_VM_ENDED:
            return "Tarnbeck was unable to load.\nPlease download and install Tarnbeck again.";
        default:
            return nullptr;
    }
}

// Makes the launcher's own folder the working directory, so launch.properties and the jar are found
// beside the program whatever folder it was started from. A path without a backslash names no folder
// to go to: the working directory then stays as it is.
static void EnterLauncherFolder(void) {
    char modulePath[MODULE_PATH_SIZE];
    uint32_t copied = OsGetModuleFileName(modulePath, MODULE_PATH_SIZE);
    // Older Windows leave a cut path unterminated, and a failed call leaves nothing usable.
    if (copied >= MODULE_PATH_SIZE) {
        copied = MODULE_PATH_SIZE - 1;
    }
    modulePath[copied] = '\0';
    char* lastBackslash = strrchr(modulePath, '\\');
    if (lastBackslash == nullptr) {
        return;
    }
    *lastBackslash = '\0';
    OsSetCurrentDirectory(modulePath);
}

// True when the first command-line argument asks to leave the magnet registration alone. Only the
// command line counts, never the launch lines, and only an exact match.
static bool SkipsMagnetRegistration(int argc, char** argv) {
    return argc >= 2 && (strcmp(argv[1], "-pmf") == 0 || strcmp(argv[1], "-startup") == 0);
}

// Runs one launch: argv as the run-time library split the command line, program name first. Builds
// the vector program name, launch lines, arguments 1 to argc - 1; registers the magnet handler unless
// told not to; runs the launcher core; shows the box for its result. Returns that result, which is
// the process exit code.
int RunLaunch(int argc, char** argv) {
    EnterLauncherFolder();

    char** lines = nullptr;
    int32_t lineCount = 0;
    ReadLaunchProperties(&lines, &lineCount);

    // The run-time library always hands over the program name; should it ever not, the vector still
    // gets an entry 0 rather than a null one.
    static char noProgramName[] = "";
    char* programName = argc >= 1 ? argv[0] : noProgramName;
    int argumentCount = argc >= 1 ? argc - 1 : 0;

    int launchCount = 1 + lineCount + argumentCount;
    char** launchVector = static_cast<char**>(AllocOrExit(static_cast<int32_t>(launchCount * sizeof(char*))));
    launchVector[0] = programName;
    for (int32_t i = 0; i < lineCount; ++i) {
        launchVector[1 + i] = lines[i];
    }
    for (int i = 0; i < argumentCount; ++i) {
        launchVector[1 + lineCount + i] = argv[1 + i];
    }
    free(lines);

    if (!SkipsMagnetRegistration(argc, argv)) {
        RegisterMagnetHandler();
    }

    int result = LauncherMain(launchCount, launchVector);
    free(launchVector);

    const char* text = LaunchResultText(result);
    if (text != nullptr) {
        OsMessageBox(text, "Tarnbeck Launcher Error", OS_MB_OK);
    }
    return result;
}
