// Host side: the process environment. PATH is kept in POSIX form so the host stays usable after the
// logic has put a Windows-shaped PATH together.
#include "os_environment.h"

#include <stdlib.h>
#include <strings.h>

#include <string>

const char* OsGetEnv(const char* name) { return name != nullptr ? getenv(name) : nullptr; }

// _putenv("NAME=value"). As on Windows, "NAME=" removes the variable. A PATH, in whatever letter case
// (Windows names are case-insensitive), is stored as PATH with ';' turned into ':' and '\' into '/'.
// -1 for a setting without '=' or without a name.
int OsPutEnv(const char* setting) {
    if (setting == nullptr) {
        return -1;
    }
    std::string text = setting;
    size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        return -1;
    }
    std::string name = text.substr(0, equals);
    std::string value = text.substr(equals + 1);
    if (strcasecmp(name.c_str(), "PATH") == 0) {
        name = "PATH";
        for (char& c : value) {
            if (c == ';') {
                c = ':';
            } else if (c == '\\') {
                c = '/';
            }
        }
    }
    int result = value.empty() ? unsetenv(name.c_str()) : setenv(name.c_str(), value.c_str(), 1);
    return result == 0 ? 0 : -1;
}
