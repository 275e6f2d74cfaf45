// Host side: dynamic libraries through dlopen/dlsym on the mapped path.
#include "os_library.h"

#include "host_control.h"
#include "host_faults.h"
#include "host_paths.h"

#include <dlfcn.h>

#include <string>

static std::string g_lastLibraryPath;

// LoadLibraryA(path). A bare name is tried in the working directory first: Windows searches the
// current folder, dlopen would only search the library path.
OsLibrary OsLoadLibrary(const char* path) {
    g_lastLibraryPath = path != nullptr ? path : "";
    int32_t ignored;
    if (path == nullptr || HostTakeFault(HOST_LOAD_LIBRARY, &ignored)) {
        return nullptr;
    }
    std::string posixPath = HostPosixPath(path);
    if (posixPath.find('/') == std::string::npos) {
        void* local = dlopen(("./" + posixPath).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (local != nullptr) {
            return static_cast<OsLibrary>(local);
        }
    }
    return static_cast<OsLibrary>(dlopen(posixPath.c_str(), RTLD_NOW | RTLD_LOCAL));
}

// GetProcAddress(library, name). dlsym hands back a data pointer; POSIX guarantees it converts to a
// function pointer.
OsProc OsGetProcAddress(OsLibrary library, const char* name) {
    if (library == nullptr || name == nullptr) {
        return nullptr;
    }
    void* symbol = dlsym(static_cast<void*>(library), name);
    return reinterpret_cast<OsProc>(symbol);
}

const char* HostLastLibraryPath(void) { return g_lastLibraryPath.c_str(); }
