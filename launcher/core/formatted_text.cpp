// Building a text from a format and one string, in a block of exactly the needed size.
#include "formatted_text.h"

#include "launch_shared.h"

#include <stdint.h>
#include <stdio.h>

char* AllocFormattedText(const char* format, const char* value) {
    int length = snprintf(nullptr, 0, format, value);
    // A text that snprintf cannot measure, or that would not fit the allocator's signed size, is
    // refused the way an exhausted heap is: AllocOrExit reports it and ends the process.
    int32_t size = (length >= 0 && length < INT32_MAX) ? length + 1 : -1;
    char* text = static_cast<char*>(AllocOrExit(size));
    snprintf(text, static_cast<size_t>(size), format, value);
    return text;
}
