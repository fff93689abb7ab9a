// The handheld shell's helpers.
#pragma once

#include <platform/gdi.h>

// Reads a bitmap file of the device file system (1, 4, 8, 16, 24 or 32 bits, uncompressed or
// bit fields); null when it is missing or damaged.
HBITMAP SHLoadDIBitmap(LPCWSTR path);
