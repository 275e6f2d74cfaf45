// Files: the run-time library's buffered files and its file-status query.
#pragma once

#include <stdio.h>

// fopen(path, mode). Mode "r" is Windows text mode on every platform: a carriage return directly
// before a line feed is dropped and a byte 0x1A ends the file. Read with fgets/fgetc, close with fclose.
FILE* OsOpenFile(const char* path, const char* mode);
// stat(path) succeeds: the path names an existing file or directory.
bool OsPathExists(const char* path);
