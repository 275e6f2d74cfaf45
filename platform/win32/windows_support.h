// Win32 side: the one place that includes <windows.h>, with the settings every Win32 file shares.
// Only platform/win32/ includes this header; handles leave it as the layer's opaque types.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// Windows XP is the oldest system the programs support; nothing newer is called.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0501
#endif

#include <windows.h>
