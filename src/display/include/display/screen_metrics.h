// Scaling lengths given for 96 dpi, and the screen's device capabilities.
#pragma once

#include <cstdint>

// sign(a) x ((|a| x b + c / 2) / c) in 32-bit arithmetic, the sign from a alone; 0 when c is 0.
std::int32_t MulDivRound(std::int32_t a, std::int32_t b, std::int32_t c);

// GetDeviceCaps(index) of the screen's device context (LOGPIXELSX 88, LOGPIXELSY 90 ...), or -1
// when no device context is available.
int GetScreenDeviceCaps(int index);

// A length of n logical pixels on this screen: (n x dpi + 48) / 96, with the horizontal
// (ScaledX) or vertical (ScaledY) resolution read once, on first use, for the life of the process.
int ScaledX(int n);
int ScaledY(int n);
