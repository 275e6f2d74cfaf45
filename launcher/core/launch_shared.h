// The pieces every part of the launcher uses: the result code that becomes the message box and the
// exit code, the allocation that ends the process when memory runs out, and the silent report hooks.
#pragma once

#include <stdint.h>

// What LauncherMain returns. No value stands for success: once the VM exists the result is
// LAUNCH_VM_ENDED.
enum LaunchResult : int32_t {
    LAUNCH_RUNTIME_NOT_LOADED = 6,  // jvm.dll cannot be loaded or lacks an entry point
    LAUNCH_BAD_ARGUMENTS = 7,       // the launcher arguments are unusable
    LAUNCH_VM_NOT_CREATED = 8,      // JNI_CreateJavaVM failed
    LAUNCH_VM_ENDED = 9,            // the VM was created and has been torn down
    LAUNCH_NO_RUNTIME = 10,         // no runtime home, no usable jvm.cfg, or no jvm.dll for the VM type
};

// A block of `size` bytes from the C runtime's heap; never null. When the heap refuses, writes
// "malloc: <error text>" to standard error and ends the process with exit code 1.
void* AllocOrExit(int32_t size);

// The launcher core's error hooks. They show and write nothing: what the user sees of a failure is
// the message box for the LaunchResult. Tests link a recording version instead.
void ReportMessage(const char* message);
void ReportFormatted(const char* format, const char* first, const char* second = nullptr);
