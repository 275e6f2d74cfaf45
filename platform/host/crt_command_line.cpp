// Host side: the Microsoft C runtime's command-line split, and the quoting that inverts it.
#include "host_crt_command_line.h"

#include <stdint.h>
#include <stdlib.h>

// Appends one byte to the argument texts, or only counts it in the counting pass.
static void PutByte(char* text, size_t* bytes, char byte) {
    if (text != nullptr) {
        text[*bytes] = byte;
    }
    ++*bytes;
}

// One pass of the split. With argv and text null it only counts the arguments and the bytes their
// texts need (terminators included); with both given it also fills them. The rules, as the
// Microsoft C runtime applies them:
//  - the program name runs to the first space or tab outside double quotes; every quote in it
//    flips the quoting and is dropped; backslashes are plain characters there;
//  - the other arguments are separated by spaces and tabs outside quotes; 2n backslashes before a
//    quote give n backslashes and the quote flips the quoting; 2n+1 backslashes before a quote give
//    n backslashes and a literal quote; a doubled quote inside quotes gives a literal quote and
//    stays inside; backslashes before anything else are plain characters.
static void SplitPass(const char* commandLine, char** argv, char* text, int* argc, size_t* bytes) {
    const char* at = commandLine;
    *argc = 0;
    *bytes = 0;

    if (argv != nullptr) {
        argv[0] = text;
    }
    bool inQuotes = false;
    while (*at != '\0' && (inQuotes || (*at != ' ' && *at != '\t'))) {
        if (*at == '"') {
            inQuotes = !inQuotes;
        } else {
            PutByte(text, bytes, *at);
        }
        ++at;
    }
    PutByte(text, bytes, '\0');
    *argc = 1;

    inQuotes = false;
    for (;;) {
        while (*at == ' ' || *at == '\t') {
            ++at;
        }
        if (*at == '\0') {
            break;
        }
        if (argv != nullptr) {
            argv[*argc] = text + *bytes;
        }
        ++*argc;
        for (;;) {
            bool copy = true;
            size_t backslashes = 0;
            while (*at == '\\') {
                ++at;
                ++backslashes;
            }
            if (*at == '"') {
                if (backslashes % 2 == 0) {
                    if (inQuotes && at[1] == '"') {
                        ++at;
                    } else {
                        copy = false;
                        inQuotes = !inQuotes;
                    }
                }
                backslashes /= 2;
            }
            for (; backslashes > 0; --backslashes) {
                PutByte(text, bytes, '\\');
            }
            if (*at == '\0' || (!inQuotes && (*at == ' ' || *at == '\t'))) {
                break;
            }
            if (copy) {
                PutByte(text, bytes, *at);
            }
            ++at;
        }
        PutByte(text, bytes, '\0');
    }
    if (argv != nullptr) {
        argv[*argc] = nullptr;
    }
}

char** HostSplitCommandLine(const char* commandLine, int* argc) {
    int count = 0;
    size_t bytes = 0;
    SplitPass(commandLine, nullptr, nullptr, &count, &bytes);
    size_t table = (static_cast<size_t>(count) + 1) * sizeof(char*);
    char** argv = static_cast<char**>(malloc(table + bytes));
    if (argv == nullptr) {
        return nullptr;
    }
    SplitPass(commandLine, argv, reinterpret_cast<char*>(argv) + table, &count, &bytes);
    *argc = count;
    return argv;
}

// True when the argument must be quoted to come back whole: it is empty, or it holds a quote or a
// byte up to 0x20 (the split only separates at spaces and tabs, but the probe's name cut skips
// every such byte in front of the command).
static bool NeedsQuotes(const char* argument) {
    if (*argument == '\0') {
        return true;
    }
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(argument); *at != '\0'; ++at) {
        if (*at <= ' ' || *at == '"') {
            return true;
        }
    }
    return false;
}

// Appends `times` copies of c at out + *length (when out is not null) and counts them.
static void Put(char* out, size_t* length, char c, size_t times) {
    for (size_t i = 0; i < times; ++i) {
        if (out != nullptr) {
            out[*length] = c;
        }
        ++*length;
    }
}

// Writes the quoted form of one argument at out (when out is not null) and returns its length.
static size_t QuoteArgument(const char* argument, char* out) {
    size_t length = 0;
    if (!NeedsQuotes(argument)) {
        for (const char* at = argument; *at != '\0'; ++at) {
            Put(out, &length, *at, 1);
        }
        return length;
    }
    Put(out, &length, '"', 1);
    for (const char* at = argument;; ++at) {
        size_t backslashes = 0;
        while (*at == '\\') {
            ++at;
            ++backslashes;
        }
        if (*at == '\0') {
            // Doubled, so the closing quote stays a quote.
            Put(out, &length, '\\', backslashes * 2);
            break;
        }
        Put(out, &length, '\\', *at == '"' ? backslashes * 2 + 1 : backslashes);
        Put(out, &length, *at, 1);
    }
    Put(out, &length, '"', 1);
    return length;
}

// Writes the program name in quotes; its own quotes are left out, since a program name cannot hold
// one and the split would drop them anyway.
static size_t QuoteProgramName(const char* name, char* out) {
    size_t length = 0;
    Put(out, &length, '"', 1);
    for (const char* at = name; *at != '\0'; ++at) {
        if (*at != '"') {
            Put(out, &length, *at, 1);
        }
    }
    Put(out, &length, '"', 1);
    return length;
}

char* HostJoinCommandLine(int argc, char* const* argv) {
    size_t length = 0;
    for (int i = 0; i < argc; ++i) {
        length += (i == 0 ? QuoteProgramName(argv[i], nullptr) : QuoteArgument(argv[i], nullptr)) + 1;
    }
    char* line = static_cast<char*>(malloc(length + 1));
    if (line == nullptr) {
        return nullptr;
    }
    size_t at = 0;
    for (int i = 0; i < argc; ++i) {
        if (i > 0) {
            line[at++] = ' ';
        }
        at += i == 0 ? QuoteProgramName(argv[i], line + at) : QuoteArgument(argv[i], line + at);
    }
    line[at] = '\0';
    return line;
}
