// The scale Windows shows a window at: the DPI of its monitor, as the
// window's process sees it (a process that is not DPI aware always sees 96).
#pragma once

#include <windows.h>

// The window's scale, 96 DPI being 1; 0 where Windows cannot tell (before
// Windows 10 version 1607, or for no window).
float desktopScale(HWND window);
