// A child for the Wine tests:
//   childproc.exe exit N            ends at once with exit code N
//   childproc.exe sleep MS PIDFILE  writes its process id to PIDFILE, then sleeps MS milliseconds
//   childproc.exe box               shows one OK box (the harness's warm-up of a new prefix)
//   childproc.exe hold MS           keeps Wine's desktop open for MS milliseconds: Wine closes it a
//                                   moment after the last program attached to it ends, and a
//                                   program that starts while it closes waits seconds for a new one
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "exit") == 0) {
        ExitProcess(static_cast<UINT>(strtoul(argv[2], nullptr, 10)));
    }
    if (argc == 4 && strcmp(argv[1], "sleep") == 0) {
        FILE* file = fopen(argv[3], "wb");
        if (file == nullptr) return 2;
        fprintf(file, "%lu", GetCurrentProcessId());
        fclose(file);
        Sleep(strtoul(argv[2], nullptr, 10));
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "box") == 0) {
        MessageBoxA(nullptr, "The Wine prefix is ready.", "warm-up", MB_OK);
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "hold") == 0) {
        // Loading user32 (imported for the box mode) attaches the process to the desktop for its
        // life. The thread itself never touches it: a thread with a window or a message queue that
        // nobody serves makes every other program's box take seconds to close.
        Sleep(strtoul(argv[2], nullptr, 10));
        return 0;
    }
    fprintf(stderr, "usage: childproc exit N | sleep MS PIDFILE | box | hold MS\n");
    return 2;
}
