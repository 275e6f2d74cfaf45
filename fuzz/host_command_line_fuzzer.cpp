// Fuzz target: the host's command lines, which the probe's child processes are started from: the
// Microsoft C runtime's split, and the join that quotes arguments so they split back whole. The
// first input byte picks the direction. Even: the rest is a command line; its split, joined and
// split again, gives the same arguments. Odd: the rest is one argument per line (the first the
// program name); joined and split, they come back as they were, the name without its quotes.
#include "fuzz_check.h"
#include "harness_input.h"
#include "host_crt_command_line.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

// The split of `line` as strings; the block is checked for its shape and given back.
static std::vector<std::string> Split(const char* line) {
    int argc = -1;
    char** argv = HostSplitCommandLine(line, &argc);
    FUZZ_CHECK(argv != nullptr && argc >= 1, "no program name");
    FUZZ_CHECK(argv[argc] == nullptr, "the argument array is not null-terminated");
    std::vector<std::string> arguments(argv, argv + argc);
    free(argv);
    return arguments;
}

static std::vector<std::string> JoinAndSplit(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    char* line = HostJoinCommandLine(static_cast<int>(argv.size()), argv.data());
    FUZZ_CHECK(line != nullptr, "no joined line");
    std::vector<std::string> back = Split(line);
    free(line);
    return back;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // A command line is a C string: it ends at the first zero, in a block of exactly its size.
    const char* text = reinterpret_cast<const char*>(data + 1);
    std::string rest(text, strnlen(text, size - 1));
    if ((data[0] & 1) == 0) {
        char* line = static_cast<char*>(malloc(rest.size() + 1));
        memcpy(line, rest.c_str(), rest.size() + 1);
        std::vector<std::string> arguments = Split(line);
        free(line);
        FUZZ_CHECK(JoinAndSplit(arguments) == arguments, "a split line does not join back to itself");
        return 0;
    }
    std::vector<std::string> arguments = SplitLines(rest);
    if (arguments.empty()) {
        arguments.push_back(std::string());
    }
    std::vector<std::string> expected = arguments;
    std::string& name = expected[0];
    name.erase(std::remove(name.begin(), name.end(), '"'), name.end());
    FUZZ_CHECK(JoinAndSplit(arguments) == expected, "joined arguments do not split back whole");
    return 0;
}
