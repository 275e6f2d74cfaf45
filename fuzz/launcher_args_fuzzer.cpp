// Fuzz target: launcher argument parsing, then the sun.java.command property built from what it
// found. Input: one argument per line (the vector after the program name, null-terminated as
// SelectVmType leaves it). The option list must stay consistent, the application's name and
// arguments must lie inside the vector, and the property must hold the name and the arguments.
#include "fuzz_check.h"
#include "harness_input.h"
#include "launcher_args.h"
#include "option_list.h"
#include "recording_reports.h"

#include <sanitizer/allocator_interface.h>

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

static std::string ExpectedCommand(const char* name, int count, char** arguments) {
    std::string text = std::string("-Dsun.java.command=") + name;
    for (int i = 0; i < count; ++i) {
        text += std::string(" ") + arguments[i];
    }
    return text;
}

// Gives back what one run appended: the texts the launcher allocated (never freed in a launch,
// which ends soon after) and the array; the list starts empty again, as at process start.
static void ResetOptionList(char** arguments, int count) {
    for (int32_t i = 0; i < g_optionList.count; ++i) {
        char* text = g_optionList.entries[i].optionString;
        bool isArgument = false;
        for (int a = 0; a < count; ++a) {
            isArgument = isArgument || text == arguments[a];
        }
        // Constant translations live in the program image; only heap texts were allocated.
        if (!isArgument && __sanitizer_get_ownership(text)) {
            free(text);
        }
    }
    free(g_optionList.entries);
    g_optionList = OptionList{0, nullptr, 0};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> lines = SplitLines(std::string(reinterpret_cast<const char*>(data), size));
    if (lines.size() > 64) {
        lines.resize(64);
    }
    int count = static_cast<int>(lines.size());
    char** vector = static_cast<char**>(malloc(sizeof(char*) * static_cast<size_t>(count + 1)));
    for (int i = 0; i < count; ++i) {
        vector[i] = static_cast<char*>(malloc(lines[static_cast<size_t>(i)].size() + 1));
        memcpy(vector[i], lines[static_cast<size_t>(i)].c_str(), lines[static_cast<size_t>(i)].size() + 1);
    }
    vector[count] = nullptr;

    int argumentCount = count;
    char** arguments = vector;
    char* jarFile = nullptr;
    char* mainClass = nullptr;
    bool parsed = ParseLauncherArgs(&argumentCount, &arguments, &jarFile, &mainClass);
    FUZZ_CHECK(g_optionList.count >= 0 && g_optionList.count <= g_optionList.capacity,
               "a list past its room");
    FUZZ_CHECK((g_optionList.entries == nullptr) == (g_optionList.capacity == 0), "an array without room");
    for (int32_t i = 0; i < g_optionList.count; ++i) {
        FUZZ_CHECK(g_optionList.entries[i].optionString != nullptr, "an option without a text");
        FUZZ_CHECK(g_optionList.entries[i].extraInfo == nullptr, "an option with extra information");
    }
    FUZZ_CHECK(jarFile == nullptr || mainClass == nullptr, "both a jar and a main class");
    if (parsed && (jarFile != nullptr || mainClass != nullptr)) {
        const char* name = jarFile != nullptr ? jarFile : mainClass;
        FUZZ_CHECK(arguments > vector && arguments <= vector + count && arguments[-1] == name,
                   "the application's name is not in the vector");
        FUZZ_CHECK(argumentCount == count - static_cast<int>(arguments - vector), "a wrong argument count");
        if (jarFile != nullptr) {
            AddClassPathOption(jarFile);
            FUZZ_CHECK(std::string("-Djava.class.path=") + jarFile ==
                           g_optionList.entries[g_optionList.count - 1].optionString,
                       "a wrong class path option");
        }
        AddCommandProperty(mainClass, argumentCount, arguments, jarFile);
        FUZZ_CHECK(ExpectedCommand(name, argumentCount, arguments) ==
                       g_optionList.entries[g_optionList.count - 1].optionString,
                   "a wrong sun.java.command");
    } else {
        FUZZ_CHECK(argumentCount == count && arguments == vector, "the vector changed without a name");
        int32_t before = g_optionList.count;
        AddCommandProperty(mainClass, argumentCount, arguments, jarFile);
        FUZZ_CHECK(g_optionList.count == before, "a command property without a name");
    }

    ResetOptionList(vector, count);
    VersionOnly = false;
    VersionThenRun = false;
    SuppressExitMessage = false;
    ClearRecordedReports();
    for (int i = 0; i < count; ++i) {
        free(vector[i]);
    }
    free(vector);
    return 0;
}
