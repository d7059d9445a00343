#pragma once
#include <windows.h>

// The program's one top-level window: fixed size, the menu bar, and the control panel
// filling its client area.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
