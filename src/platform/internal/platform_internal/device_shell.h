// The shell's side of the device: the task bar, and rotating the screen.
#pragma once

// Creates the task bar (top, 26 logical pixels, the foreground window's title). Once per process.
void StartDeviceShell();
// Moves the task bar and the menu bars to the edges of the screen as configured now.
void FitShellToScreen();
// Swaps the screen's width and height, moves the task bar and the menu bars, and sends
// WM_SETTINGCHANGE (SETTINGCHANGE_RESET) to every top-level window. Call on the UI thread.
void RotateDeviceScreen();
