// Host side: process identity and context (module path, working directory, locale, argc/argv).
#include "os_module.h"

#include "host_command_line.h"
#include "host_control.h"
#include "host_paths.h"

#include <limits.h>
#include <string.h>
#include <unistd.h>

#include <string>

static bool g_moduleOverridden = false;
static std::string g_moduleOverride;
static uint32_t g_threadLocale = 0;
static int g_argc = 0;
static char** g_argv = nullptr;

void HostUseModuleFileName(const char* path) {
    g_moduleOverridden = path != nullptr;
    g_moduleOverride = path != nullptr ? path : "";
}

// The program's POSIX path: the test override, else the target of /proc/self/exe; "" when unknown.
static std::string ModulePosixPath(void) {
    if (g_moduleOverridden) {
        return g_moduleOverride;
    }
    char target[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", target, sizeof target - 1);
    if (length <= 0) {
        return std::string();
    }
    return std::string(target, static_cast<size_t>(length));
}

// Like GetModuleFileNameA: copies what fits, always terminates, and returns `size` when the path had to
// be cut (the caller cannot tell a cut path from one that fitted exactly otherwise).
uint32_t OsGetModuleFileName(char* buffer, uint32_t size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::string path = HostWindowsPath(ModulePosixPath());
    if (path.size() >= size) {
        memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
        return size;
    }
    memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<uint32_t>(path.size());
}

bool OsSetCurrentDirectory(const char* path) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    return chdir(HostPosixPath(path).c_str()) == 0;
}

// The host has no locale database of LCIDs; the launcher only hands the value back to
// OsSetThreadLocale, so US English is as good as any.
uint32_t OsGetSystemDefaultLCID(void) { return 0x0409; }

void OsSetThreadLocale(uint32_t locale) { g_threadLocale = locale; }

uint32_t HostThreadLocale(void) { return g_threadLocale; }

void HostKeepCommandLine(int argc, char** argv) {
    g_argc = argc;
    g_argv = argv;
}

void OsCommandLineArguments(int* argc, char*** argv) {
    if (argc != nullptr) {
        *argc = g_argc;
    }
    if (argv != nullptr) {
        *argv = g_argv;
    }
}

const char* OsRuntimeArchitecture(void) { return "i386"; }
