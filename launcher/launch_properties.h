// launch.properties: the launch lines put between the program name and the command-line arguments.
#pragma once

#include <stdint.h>

// Hands over an array of launch lines and its length: the file's lines, or the seven built-in
// defaults when it cannot be opened. The caller frees the array, never the lines.
void ReadLaunchProperties(char*** lines, int32_t* lineCount);
