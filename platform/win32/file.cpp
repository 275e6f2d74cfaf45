// Win32 side: the C runtime's buffered files and its file-status query.
#include "os_file.h"

#include <sys/stat.h>
#include <sys/types.h>

// Mode "r" is the C runtime's own text mode here: CR LF reads as LF and 0x1A ends the file.
FILE* OsOpenFile(const char* path, const char* mode) { return fopen(path, mode); }

bool OsPathExists(const char* path) {
    struct _stat status;
    return _stat(path, &status) == 0;
}
