// Win32 side: message boxes through USER32's MessageBoxA.
#include "os_dialog.h"

#include "windows_support.h"

int OsMessageBox(const char* text, const char* caption, uint32_t style) {
    return MessageBoxA(nullptr, text, caption, style);
}
