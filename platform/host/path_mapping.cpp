// Host side: separator mapping between the Windows-shaped paths of the logic and POSIX paths.
#include "host_paths.h"

std::string HostPosixPath(const char* path) {
    std::string mapped = path != nullptr ? path : "";
    for (char& c : mapped) {
        if (c == '\\') {
            c = '/';
        }
    }
    return mapped;
}

std::string HostWindowsPath(const std::string& path) {
    std::string mapped = path;
    for (char& c : mapped) {
        if (c == '/') {
            c = '\\';
        }
    }
    return mapped;
}
