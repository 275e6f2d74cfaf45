// launch.properties: the launch lines of the launcher's folder, or the seven built-in ones.
#include "launch_properties.h"

#include "launch_shared.h"
#include "os_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum {
    LAUNCH_LINE_LIMIT = 100,
    // fgets stores at most size - 1 characters and a NUL, so a piece is at most 98 characters.
    PIECE_BUFFER_SIZE = 100,
    PIECE_READ_SIZE = 99,
};

// Used when launch.properties cannot be opened: stack size, initial heap, free-heap ratios, the
// logging library's no-op logger, then the jar.
static const char* const DefaultLaunchProperties[] = {
    "-Xss64k",
    "-Xms4m",
    "-Xminf0.10",
    "-Xmaxf0.25",
    "-Dorg.apache.commons.logging.Log=org.apache.commons.logging.impl.NoOpLog",
    "-jar",
    "Tarnbeck.jar",
};

enum { DEFAULT_LINE_COUNT = sizeof DefaultLaunchProperties / sizeof DefaultLaunchProperties[0] };

// A heap copy of `length` bytes of `text` with its NUL; it lives until the process ends.
static char* CopyLine(const char* text, size_t length) {
    char* line = static_cast<char*>(AllocOrExit(static_cast<int32_t>(length + 1)));
    memcpy(line, text, length);
    line[length] = '\0';
    return line;
}

// Opens launch.properties in the working directory in text mode (CR LF read as LF, Ctrl-Z ends the
// file) and hands over its pieces of at most 98 characters, one launch line each, the line feed
// removed; at most 100 of them. Without the file, hands over the built-in lines. A NUL byte read from
// the file ends its piece's text: a launch line is a C string and cannot hold one, so the bytes
// after it up to the end of that piece are dropped.
void ReadLaunchProperties(char*** lines, int32_t* lineCount) {
    FILE* file = OsOpenFile("launch.properties", "r");
    if (file == nullptr) {
        char** defaults = static_cast<char**>(AllocOrExit(DEFAULT_LINE_COUNT * sizeof(char*)));
        for (int i = 0; i < DEFAULT_LINE_COUNT; ++i) {
            // The constants are never written through; the array type is the one the vector uses.
            defaults[i] = const_cast<char*>(DefaultLaunchProperties[i]);
        }
        *lines = defaults;
        *lineCount = DEFAULT_LINE_COUNT;
        return;
    }

    char** read = static_cast<char**>(AllocOrExit(LAUNCH_LINE_LIMIT * sizeof(char*)));
    int32_t count = 0;
    char piece[PIECE_BUFFER_SIZE];
    while (count < LAUNCH_LINE_LIMIT && !feof(file)) {
        if (fgets(piece, PIECE_READ_SIZE, file) == nullptr) {
            break;
        }
        size_t length = strlen(piece);
        if (length > 0 && piece[length - 1] == '\n') {
            --length;
        }
        read[count++] = CopyLine(piece, length);
    }
    fclose(file);
    *lines = read;
    *lineCount = count;
}
