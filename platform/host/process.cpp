// Host side: child processes over posix_spawn and pidfd, with Windows' creation and wait semantics.
#include "os_process.h"

#include "host_crt_command_line.h"
#include "host_faults.h"
#include "host_process_control.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

// What an OsProcess handle stands for. Windows releases a process handle only when it is closed or
// the process ends; the probe never closes one, so the records stay for the life of the process,
// linked from `children` so they remain reachable.
struct HostChild {
    pid_t pid;
    int pidfd;          // -1 once the child is reaped, or when the kernel offers no pidfd
    bool ended;         // reaped
    bool codeKnown;     // ended with a status we read (false when someone else reaped it)
    uint32_t exitCode;
    HostChild* next;
};

static HostChild* children = nullptr;
static bool doubleByteCodePage = false;

// Starts the child from argv (argv[0] already in POSIX form); true with *pid on success.
// DETACHED_PROCESS puts the child in a session of its own: it has no controlling terminal, and the
// hang-up or job-control signals that end the probe's group do not reach it, so it outlives the
// probe as a Windows child does. It starts with no blocked signals and default dispositions, as a
// fresh process would. posix_spawnp searches PATH for a name without '/' and reports a program
// that cannot be executed as an error.
static bool SpawnChild(char** argv, uint32_t creationFlags, pid_t* pid) {
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) {
        return false;
    }
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if ((creationFlags & OS_DETACHED_PROCESS) != 0) {
        flags |= POSIX_SPAWN_SETSID;
    }
    bool started = posix_spawnattr_setflags(&attributes, flags) == 0 &&
                   posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
                   posix_spawnattr_setsigdefault(&attributes, &all) == 0 &&
                   posix_spawnp(pid, argv[0], nullptr, &attributes, argv, environ) == 0;
    posix_spawnattr_destroy(&attributes);
    return started;
}

bool OsCreateProcess(char* commandLine, uint32_t creationFlags, OsProcess* process) {
    int32_t error = 0;
    if (HostTakeFault(HOST_CREATE_PROCESS, &error)) {
        return false;
    }
    if (commandLine == nullptr) {
        return false;
    }
    int argc = 0;
    char** argv = HostSplitCommandLine(commandLine, &argc);
    if (argv == nullptr) {
        return false;
    }
    if (argv[0][0] == '\0') {
        free(argv);
        return false;
    }
    for (char* at = argv[0]; *at != '\0'; ++at) {
        if (*at == '\\') {
            *at = '/';
        }
    }
    HostChild* child = static_cast<HostChild*>(malloc(sizeof(HostChild)));
    pid_t pid = 0;
    bool started = child != nullptr && SpawnChild(argv, creationFlags, &pid);
    free(argv);
    if (!started) {
        free(child);
        return false;
    }
    child->pid = pid;
    // A child that already ended is a zombie until reaped, so the pidfd still finds it.
    child->pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    child->ended = false;
    child->codeKnown = false;
    child->exitCode = 0;
    child->next = children;
    children = child;
    *process = reinterpret_cast<OsProcess>(child);
    return true;
}

// The Windows exit code of a wait status: the exit status, or 128 + the signal that ended it.
static uint32_t ExitCodeOf(int status) {
    if (WIFSIGNALED(status)) {
        return 128 + static_cast<uint32_t>(WTERMSIG(status));
    }
    return static_cast<uint32_t>(WEXITSTATUS(status));
}

// Reaps the child if it has ended (blocking: waits for it). False when it is still running (only
// without blocking) or cannot be waited for.
static bool Reap(HostChild* child, bool block) {
    if (child->ended) {
        return true;
    }
    int status = 0;
    pid_t got;
    do {
        got = waitpid(child->pid, &status, block ? 0 : WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == 0) {
        return false;
    }
    if (got < 0 && errno != ECHILD) {
        return false;
    }
    // ECHILD: someone else reaped it (SIGCHLD ignored, say). It has ended; its code is lost.
    child->ended = true;
    child->codeKnown = got == child->pid;
    child->exitCode = child->codeKnown ? ExitCodeOf(status) : 0;
    if (child->pidfd >= 0) {
        close(child->pidfd);
        child->pidfd = -1;
    }
    return true;
}

static int64_t MonotonicMilliseconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Waits on the child's pidfd, which becomes readable when the child ends: no polling loop. The loop
// below only resumes after a signal interrupted the wait, or after a slice of a wait longer than
// poll() takes at once. 0xFFFFFFFF (INFINITE) waits without limit.
uint32_t OsWaitForProcess(OsProcess process, uint32_t milliseconds) {
    HostChild* child = reinterpret_cast<HostChild*>(process);
    int32_t error = 0;
    if (child == nullptr || HostTakeFault(HOST_WAIT_PROCESS, &error)) {
        return OS_WAIT_FAILED;
    }
    if (child->ended || Reap(child, false)) {
        return OS_WAIT_OBJECT_0;
    }
    if (child->pidfd < 0) {
        // Without a pidfd only a wait without limit can be done without polling.
        if (milliseconds == 0xFFFFFFFFu && Reap(child, true)) {
            return OS_WAIT_OBJECT_0;
        }
        return OS_WAIT_FAILED;
    }
    const bool forever = milliseconds == 0xFFFFFFFFu;
    const int64_t deadline = MonotonicMilliseconds() + milliseconds;
    for (;;) {
        int64_t left = forever ? -1 : deadline - MonotonicMilliseconds();
        if (!forever && left < 0) {
            left = 0;
        }
        int slice = left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left);
        struct pollfd watch = {child->pidfd, POLLIN, 0};
        int ready = poll(&watch, 1, slice);
        if (ready > 0) {
            return Reap(child, true) ? OS_WAIT_OBJECT_0 : OS_WAIT_FAILED;
        }
        if (ready == 0 && (forever || slice == left)) {
            return OS_WAIT_TIMEOUT;
        }
        if (ready < 0 && errno != EINTR) {
            return OS_WAIT_FAILED;
        }
    }
}

bool OsGetExitCodeProcess(OsProcess process, uint32_t* code) {
    HostChild* child = reinterpret_cast<HostChild*>(process);
    if (child == nullptr) {
        return false;
    }
    if (!Reap(child, false)) {
        // Still running, unless it cannot be waited for at all.
        if (kill(child->pid, 0) != 0) {
            return false;
        }
        *code = OS_STILL_ACTIVE;
        return true;
    }
    if (!child->codeKnown) {
        return false;
    }
    *code = child->exitCode;
    return true;
}

void OsExitProcess(uint32_t code) { exit(static_cast<int>(code)); }

bool OsIsDbcsLeadByte(unsigned char byte) {
    return doubleByteCodePage && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

void HostUseDoubleByteCodePage(bool on) { doubleByteCodePage = on; }
