// Launcher options: translated into VM options, and the application's class or jar found.
#pragma once

extern bool VersionOnly;
extern bool VersionThenRun;
extern bool SuppressExitMessage;

// Parses the options at the front of the vector (program name already dropped). On success with an
// application named, exactly one of *jarFile and *mainClass is set and the vector describes the
// application's own arguments. False: the arguments are unusable.
bool ParseLauncherArgs(int* argumentCount, char*** arguments, char** jarFile, char** mainClass);
// Whether an option no table row knows is dropped; never on this platform.
bool DropPlatformOption(const char* argument);
