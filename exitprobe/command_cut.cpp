// The probe's command: its own command line less the program name, cut the way the run-time
// library's start-up cuts it for a GUI program.
#include "probe.h"

#include "os_process.h"

// Returns the part of commandLine after the program name and the blanks that follow it: a pointer
// into commandLine, never a copy, so the command keeps its bytes (quotes and trailing blanks too).
// The name ends at the first byte up to 0x20 outside double quotes, every quote flipping the flag;
// a lead byte of the system code page takes its trail byte along unseen. A lead byte right before
// the terminator takes nothing: the scan never steps past the end of the text.
char* ProbeCommandAfterProgramName(char* commandLine) {
    if (commandLine == nullptr) {
        return nullptr;
    }
    unsigned char* at = reinterpret_cast<unsigned char*>(commandLine);
    bool inQuotes = false;
    while (*at != '\0' && (inQuotes || *at > ' ')) {
        if (OsIsDbcsLeadByte(*at)) {
            if (at[1] != '\0') {
                ++at;
            }
        } else if (*at == '"') {
            inQuotes = !inQuotes;
        }
        ++at;
    }
    while (*at != '\0' && *at <= ' ') {
        ++at;
    }
    return reinterpret_cast<char*>(at);
}
