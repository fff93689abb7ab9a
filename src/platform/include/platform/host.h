// Starting the program on the emulated device.
#pragma once

#include <platform/types.h>

using WinMainFunction = int (*)(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine,
                                int show);

// Reads the host options (--screen WxH, --dpi N, --bpp 8|16|24|32, --scale N, --headless,
// --home DIR, --screenshot FILE, --help), boots the device with the sdl host when a display is
// available (or the headless one), and runs winMain on this thread, the UI thread. Returns its
// exit code; 2 for bad options, 1 when no host can start.
int RunDeviceProgram(int argc, char** argv, WinMainFunction winMain);
