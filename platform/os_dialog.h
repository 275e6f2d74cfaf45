// Message boxes: MessageBoxA with no owner window.
#pragma once

#include <stdint.h>

enum : uint32_t {
    OS_MB_OK = 0x0,
    OS_MB_YESNO = 0x4,
};

enum : int {
    OS_IDOK = 1,
    OS_IDYES = 6,
    OS_IDNO = 7,
};

// Shows a modal box and returns the button pressed (OS_IDOK, OS_IDYES, OS_IDNO).
int OsMessageBox(const char* text, const char* caption, uint32_t style);
