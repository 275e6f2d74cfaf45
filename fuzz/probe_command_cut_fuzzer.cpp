// Fuzz target: the probe's cut of its own name off the command line, in the single-byte and the
// double-byte code page. The first input byte picks the code page, the rest is the command line,
// in a heap block of exactly its size so a read past the terminator is caught.
#include "fuzz_check.h"
#include "host_process_control.h"
#include "os_entry.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    HostUseDoubleByteCodePage((data[0] & 1) != 0);
    size_t length = size - 1;
    char* commandLine = static_cast<char*>(malloc(length + 1));
    memcpy(commandLine, data + 1, length);
    commandLine[length] = '\0';
    size_t textLength = strlen(commandLine);  // the line ends at its first zero, as a C string does

    char* command = ProbeCommandAfterProgramName(commandLine);
    FUZZ_CHECK(command >= commandLine && command <= commandLine + textLength,
               "the command does not lie inside the command line");
    FUZZ_CHECK(*command == '\0' || static_cast<unsigned char>(*command) > ' ',
               "the command starts with a blank");
    // Something is always cut from a line that has anything: its name, or the blanks before the
    // command when the name is empty. What is cut ends at a blank unless it ran to the end.
    FUZZ_CHECK((command > commandLine) == (textLength > 0), "nothing cut from a line with text");
    FUZZ_CHECK(command == commandLine + textLength || command == commandLine ||
                   static_cast<unsigned char>(command[-1]) <= ' ',
               "the command does not follow a blank");
    HostUseDoubleByteCodePage(false);
    free(commandLine);
    return 0;
}
