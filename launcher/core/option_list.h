// The options handed to the Java VM, collected in order before it is created.
#pragma once

#include <jni.h>

#include <stdint.h>

struct OptionList {
    int32_t count;
    JavaVMOption* entries;  // null until the first append
    int32_t capacity;       // 4, 8, 16, ...
};

extern OptionList g_optionList;

void AppendVmOption(const char* text, void* extraInfo);
// Appends "-Djava.class.path=<path>".
void AddClassPathOption(const char* path);
// Appends "-Dsun.java.command=<name> <arg>...", the name being mainClass or else jarFile; nothing
// when both are null.
void AddCommandProperty(const char* mainClass, int32_t argumentCount, char** arguments,
                        const char* jarFile);
