// Child processes for the end-to-end tests.
#include "program_run.h"

#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>

extern char** environ;

int RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> argumentStorage;
    argumentStorage.push_back(program);
    argumentStorage.insert(argumentStorage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : argumentStorage) {
        argv.push_back(&text[0]);
    }
    argv.push_back(nullptr);

    std::vector<std::string> environmentStorage;
    std::string asanOptions = "ASAN_OPTIONS=detect_leaks=0";
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (strncmp(*entry, "ASAN_OPTIONS=", 13) == 0) {
            asanOptions = std::string(*entry) + ":detect_leaks=0";
        } else {
            environmentStorage.push_back(*entry);
        }
    }
    environmentStorage.push_back(asanOptions);
    std::vector<char*> environment;
    for (std::string& text : environmentStorage) {
        environment.push_back(&text[0]);
    }
    environment.push_back(nullptr);

    pid_t child;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environment.data()) != 0) {
        return -1;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) {
        return -1;
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return WEXITSTATUS(status);
}
