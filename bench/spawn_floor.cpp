// The floor of the probe benchmark: the least a program can do to run a command as its child and
// end with the child's exit code. It starts argv[1] with the rest as its arguments (no PATH search,
// no command line to cut or split), waits, and ends with the child's code. What exitprobe adds
// beyond this program is its own cost; what this program adds to the child is the price of one more
// process on the machine.
//
//   bench_spawn_floor PROGRAM [ARG...]
#include <spawn.h>
#include <stdio.h>
#include <string.h>
#include <sys/wait.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 2) {
        fputs("usage: bench_spawn_floor PROGRAM [ARG...]\n", stderr);
        return 255;
    }
    pid_t child = 0;
    int spawned = posix_spawn(&child, argv[1], nullptr, nullptr, argv + 1, environ);
    if (spawned != 0) {
        fprintf(stderr, "bench_spawn_floor: cannot start %s: %s\n", argv[1], strerror(spawned));
        return 255;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return 255;
    }
    return WEXITSTATUS(status);
}
