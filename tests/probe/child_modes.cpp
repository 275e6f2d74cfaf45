// The test binary's child modes, its main, and helpers for starting and watching processes.
#include "child_modes.h"

#include "host_crt_command_line.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

bool RunChildMode(int argc, char** argv, int* exitCode) {
    if (argc < 2) {
        return false;
    }
    std::string mode = argv[1];
    if (mode == "--exit-with" && argc == 3) {
        *exitCode = atoi(argv[2]);
        return true;
    }
    if (mode == "--die-by-signal" && argc == 3) {
        int number = atoi(argv[2]);
        signal(number, SIG_DFL);
        raise(number);
        *exitCode = 99;  // only when the signal did not end the process
        return true;
    }
    if (mode == "--linger" && argc == 3) {
        // Let go of every inherited descriptor: a reader waiting for the end of a pipe this child
        // holds (a death test's, ctest's) must not wait out its sleep.
        int null = open("/dev/null", O_RDWR);
        for (int fd = 0; fd <= 2 && null >= 0; ++fd) {
            dup2(null, fd);
        }
        closefrom(3);
        // Written under another name and renamed, so a reader never sees half a number.
        std::string partial = std::string(argv[2]) + ".partial";
        FILE* file = fopen(partial.c_str(), "w");
        if (file == nullptr) {
            *exitCode = 98;
            return true;
        }
        fprintf(file, "%d\n", static_cast<int>(getpid()));
        fclose(file);
        rename(partial.c_str(), argv[2]);
        sleep(60);
        *exitCode = 0;
        return true;
    }
    if (mode == "--write-args" && argc >= 3) {
        std::string bytes;
        for (int i = 3; i < argc; ++i) {
            bytes.append(argv[i]);
            bytes.push_back('\0');
        }
        FILE* file = fopen(argv[2], "wb");
        *exitCode = file != nullptr && fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() ? 0 : 97;
        if (file != nullptr) {
            fclose(file);
        }
        return true;
    }
    return false;
}

std::string SelfPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        ADD_FAILURE() << "cannot read /proc/self/exe";
        return "";
    }
    path[length] = '\0';
    return path;
}

std::string CommandLineOf(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    char* line = HostJoinCommandLine(static_cast<int>(argv.size()), argv.data());
    std::string result = line != nullptr ? line : "";
    free(line);
    return result;
}

pid_t StartProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    int error = posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0) {
        ADD_FAILURE() << "cannot start " << args[0] << ": " << strerror(error);
        return -1;
    }
    return pid;
}

int WaitStatus(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) {
        ADD_FAILURE() << "waitpid " << pid << " failed: " << strerror(errno);
    }
    return status;
}

pid_t ReadLingerPid(const std::string& pidFile) {
    for (int tries = 0; tries < 1000 && !FileExists(pidFile); ++tries) {
        usleep(10000);
    }
    std::string text = ReadFile(pidFile);
    return text.empty() ? -1 : static_cast<pid_t>(atoi(text.c_str()));
}

bool IsRunning(pid_t pid) {
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos || close + 2 >= stat.size()) {
        return false;
    }
    char state = stat[close + 2];
    return state != 'Z' && state != 'X';
}

int main(int argc, char** argv) {
    int exitCode = 0;
    if (RunChildMode(argc, argv, &exitCode)) {
        return exitCode;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
