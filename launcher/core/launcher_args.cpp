// Launcher argument parsing: the options in front of the application's class or jar become VM
// options and launcher flags, and the application's name and arguments are found.
#include "launcher_args.h"

#include "formatted_text.h"
#include "launch_shared.h"
#include "option_list.h"

#include <stdio.h>
#include <string.h>

bool VersionOnly = false;
bool VersionThenRun = false;
bool SuppressExitMessage = false;

enum OptionAction {
    ACTION_CLASS_PATH,        // the next argument is the class path
    ACTION_JAR_MODE,          // the application is a jar
    ACTION_VERSION_ONLY,      // print the version, run nothing; parsing ends
    ACTION_VERSION_THEN_RUN,  // print the version, then run
    ACTION_REFUSE,            // the arguments are unusable
    ACTION_TRANSLATE,         // append the row's VM option in its place
    ACTION_SUPPRESS_EXIT,     // no closing report
    ACTION_PROFILER,          // the profiler agent, writing to a file named in the argument
    ACTION_SIZE,              // an old size option: "-X" in front of the part after the '-'
    ACTION_OBSOLETE,          // a warning, nothing appended
    ACTION_IGNORE,            // no trace
};

struct OptionRow {
    const char* text;
    bool prefix;  // the argument begins with text; otherwise it equals it
    OptionAction action;
    const char* translation;  // ACTION_TRANSLATE only
};

// Looked at in this order; the first row that matches decides. An argument no row matches reaches
// the VM unchanged.
static const OptionRow OPTION_TABLE[] = {
    {"-classpath", false, ACTION_CLASS_PATH, nullptr},
    {"-cp", false, ACTION_CLASS_PATH, nullptr},
    {"-jar", false, ACTION_JAR_MODE, nullptr},
    {"-version", false, ACTION_VERSION_ONLY, nullptr},
    {"-showversion", false, ACTION_VERSION_THEN_RUN, nullptr},
    {"-X", false, ACTION_REFUSE, nullptr},
    {"-verbosegc", false, ACTION_TRANSLATE, "-verbose:gc"},
    {"-t", false, ACTION_TRANSLATE, "-Xt"},
    {"-tm", false, ACTION_TRANSLATE, "-Xtm"},
    {"-debug", false, ACTION_TRANSLATE, "-Xdebug"},
    {"-noclassgc", false, ACTION_TRANSLATE, "-Xnoclassgc"},
    {"-Xfuture", false, ACTION_TRANSLATE, "-Xverify:all"},
    {"-verify", false, ACTION_TRANSLATE, "-Xverify:all"},
    {"-verifyremote", false, ACTION_TRANSLATE, "-Xverify:remote"},
    {"-noverify", false, ACTION_TRANSLATE, "-Xverify:none"},
    {"-XXsuppressExitMessage", false, ACTION_SUPPRESS_EXIT, nullptr},
    {"-prof", true, ACTION_PROFILER, nullptr},
    {"-ss", true, ACTION_SIZE, nullptr},
    {"-oss", true, ACTION_SIZE, nullptr},
    {"-ms", true, ACTION_SIZE, nullptr},
    {"-mx", true, ACTION_SIZE, nullptr},
    {"-checksource", false, ACTION_OBSOLETE, nullptr},
    {"-cs", false, ACTION_OBSOLETE, nullptr},
    {"-noasyncgc", false, ACTION_OBSOLETE, nullptr},
    {"-version:", true, ACTION_IGNORE, nullptr},
    {"-no-jre-restrict-search", false, ACTION_IGNORE, nullptr},
    {"-jre-restrict-search", false, ACTION_IGNORE, nullptr},
};

// The first row that matches the argument, case-sensitively, or null.
static const OptionRow* FindOptionRow(const char* argument) {
    for (const OptionRow& row : OPTION_TABLE) {
        bool matches = row.prefix ? strncmp(argument, row.text, strlen(row.text)) == 0
                                  : strcmp(argument, row.text) == 0;
        if (matches) {
            return &row;
        }
    }
    return nullptr;
}

bool DropPlatformOption(const char*) { return false; }

// Reads options until the first argument that does not begin with '-'. The caller's names and vector
// are written only when an application name is found; "-version" ends parsing at once with true.
bool ParseLauncherArgs(int* argumentCount, char*** arguments, char** jarFile, char** mainClass) {
    int remaining = *argumentCount;
    char** position = *arguments;
    bool jarMode = false;

    // The count bounds the walk: the launch vector has no terminating null of its own.
    while (remaining > 0 && *position != nullptr && (*position)[0] == '-') {
        const char* argument = *position++;
        remaining--;
        const OptionRow* row = FindOptionRow(argument);
        if (row == nullptr) {
            if (!DropPlatformOption(argument)) {
                AppendVmOption(argument, nullptr);
            }
            continue;
        }
        switch (row->action) {
            case ACTION_CLASS_PATH:
                if (remaining < 1 || *position == nullptr) {
                    ReportFormatted("%s requires class path specification", argument);
                    return false;
                }
                AddClassPathOption(*position++);
                remaining--;
                break;
            case ACTION_JAR_MODE:
                jarMode = true;
                break;
            case ACTION_VERSION_ONLY:
                VersionOnly = true;
                return true;
            case ACTION_VERSION_THEN_RUN:
                VersionThenRun = true;
                break;
            case ACTION_REFUSE:
                return false;
            case ACTION_TRANSLATE:
                AppendVmOption(row->translation, nullptr);
                break;
            case ACTION_SUPPRESS_EXIT:
                SuppressExitMessage = true;
                break;
            case ACTION_PROFILER:
                // "-prof" names the default file; in a longer word the character after "-prof" is a
                // separator and the rest is the file name.
                if (argument[5] == '\0') {
                    AppendVmOption("-Xrunhprof:cpu=old,file=java.prof", nullptr);
                } else {
                    AppendVmOption(AllocFormattedText("-Xrunhprof:cpu=old,file=%s", argument + 6), nullptr);
                }
                break;
            case ACTION_SIZE:
                AppendVmOption(AllocFormattedText("-X%s", argument + 1), nullptr);
                break;
            case ACTION_OBSOLETE:
                fprintf(stderr, "Warning: %s option is no longer supported.\n", argument);
                break;
            case ACTION_IGNORE:
                break;
        }
    }

    if (remaining <= 0 || *position == nullptr) {
        return true;
    }
    if (jarMode) {
        *jarFile = *position;
        *mainClass = nullptr;
    } else {
        *mainClass = *position;
        *jarFile = nullptr;
    }
    *argumentCount = remaining - 1;
    *arguments = position + 1;
    return true;
}
