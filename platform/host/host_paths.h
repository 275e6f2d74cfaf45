// Host side, internal: the path convention between the logic ('\' separators) and POSIX ('/').
#pragma once

#include <string>

// The path with every '\' turned into '/'; null gives "".
std::string HostPosixPath(const char* path);
// The path with every '/' turned into '\', as the logic expects to see it.
std::string HostWindowsPath(const std::string& path);
