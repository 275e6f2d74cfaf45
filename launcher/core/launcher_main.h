// The launcher core's whole run: runtime, options, VM, main class, main, teardown.
#pragma once

#include "launch_shared.h"
#include "runtime_discovery.h"

#include <jni.h>

// Runs the Java application named by the launch vector (entry 0 the program name).
LaunchResult LauncherMain(int argumentCount, char** arguments);
// Creates the VM from g_optionList through entryPoints and frees the list's array.
bool CreateVm(JavaVM** vm, JNIEnv** environment, const RuntimeEntryPoints* entryPoints);
void DescribeException(JNIEnv* environment);
