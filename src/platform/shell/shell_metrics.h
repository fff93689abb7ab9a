// Lengths of the shell's own windows (menus, bars) in device pixels.
#pragma once

#include <platform/device_screen.h>

// n logical pixels at the screen's dpi.
inline int ShellScaled(int logical) {
    return (logical * CurrentDeviceScreen().dpi + 48) / 96;
}
