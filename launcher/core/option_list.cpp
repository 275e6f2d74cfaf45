// The OptionList: every option the Java VM receives, in the order the launcher appends them.
#include "option_list.h"

#include "formatted_text.h"
#include "launch_shared.h"

#include <stdlib.h>
#include <string.h>

OptionList g_optionList = {0, nullptr, 0};

static const char COMMAND_PREFIX[] = "-Dsun.java.command=";

// The byte size of `count` records of `each` bytes for AllocOrExit, or -1 (which AllocOrExit refuses
// like an exhausted heap) when it does not fit its signed 32-bit size.
static int32_t BlockSize(int64_t count, int64_t each) {
    return (count >= 0 && count <= INT32_MAX / each) ? static_cast<int32_t>(count * each) : -1;
}

// Appends one record. A full array is replaced by a fresh one of twice the capacity (4 to start
// with), the records in use copied over in order.
void AppendVmOption(const char* text, void* extraInfo) {
    if (g_optionList.count >= g_optionList.capacity) {
        int32_t capacity = g_optionList.entries == nullptr ? 4 : g_optionList.capacity * 2;
        JavaVMOption* entries = static_cast<JavaVMOption*>(
            AllocOrExit(BlockSize(capacity, static_cast<int64_t>(sizeof(JavaVMOption)))));
        if (g_optionList.entries != nullptr) {
            memcpy(entries, g_optionList.entries,
                   static_cast<size_t>(g_optionList.count) * sizeof(JavaVMOption));
            free(g_optionList.entries);
        }
        g_optionList.entries = entries;
        g_optionList.capacity = capacity;
    }
    // The JNI record takes a non-const text; the VM only reads it.
    g_optionList.entries[g_optionList.count].optionString = const_cast<char*>(text);
    g_optionList.entries[g_optionList.count].extraInfo = extraInfo;
    g_optionList.count++;
}

void AddClassPathOption(const char* path) {
    AppendVmOption(AllocFormattedText("-Djava.class.path=%s", path), nullptr);
}

// The text "-Dsun.java.command=" with the name and each argument after one blank, unquoted, in a
// block of exactly its size.
static char* BuildCommandText(const char* name, int32_t argumentCount, char** arguments) {
    size_t nameLength = strlen(name);
    int64_t length = static_cast<int64_t>(sizeof COMMAND_PREFIX - 1) + static_cast<int64_t>(nameLength);
    for (int32_t i = 0; i < argumentCount; ++i) {
        length += 1 + static_cast<int64_t>(strlen(arguments[i]));
    }
    char* text = static_cast<char*>(AllocOrExit(BlockSize(length + 1, 1)));
    char* end = text;
    memcpy(end, COMMAND_PREFIX, sizeof COMMAND_PREFIX - 1);
    end += sizeof COMMAND_PREFIX - 1;
    memcpy(end, name, nameLength);
    end += nameLength;
    for (int32_t i = 0; i < argumentCount; ++i) {
        size_t argumentLength = strlen(arguments[i]);
        *end++ = ' ';
        memcpy(end, arguments[i], argumentLength);
        end += argumentLength;
    }
    *end = '\0';
    return text;
}

// The name is mainClass, or jarFile when there is no class; with neither nothing is appended.
void AddCommandProperty(const char* mainClass, int32_t argumentCount, char** arguments,
                        const char* jarFile) {
    const char* name = mainClass != nullptr ? mainClass : jarFile;
    if (name == nullptr) {
        return;
    }
    AppendVmOption(BuildCommandText(name, argumentCount, arguments), nullptr);
}
