// The shell's side of the device: the task bar, and rotating the screen.
#pragma once

#include <platform/types.h>

// Creates the task bar (top, 26 logical pixels, the foreground window's title). Once per process.
void StartDeviceShell();
// Moves the task bar and the menu bars to the edges of the screen as configured now.
void FitShellToScreen();
// Swaps the screen's width and height, moves the task bar and the menu bars, and sends
// WM_SETTINGCHANGE (SETTINGCHANGE_RESET) to every top-level window. Call on the UI thread.
void RotateDeviceScreen();
// Shows (or stops showing) the task bar's "ok" button while window is the foreground window; a
// tap on it posts WM_COMMAND IDOK to the window. Forget the window when it is destroyed.
void SetTaskBarDoneButton(HWND window, bool shown);
