// The known picture that the interop tests put on every server (and that the recorded sessions
// show): colours whose components are only 0 or 255, so that every pixel format and every
// server's conversion gives the same values. It has solid areas (for RRE and Hextile
// subrectangles), 8 x 8 checks, single-pixel lines and noise.
#pragma once

#include <cstdint>

inline void PatternColour(int x, int y, int variant, std::uint8_t rgb[3]) {
    int index;
    if (x % 37 == 0) {
        index = 7;
    } else if (y < 64) {
        index = ((x / 8) + (y / 8) + variant) & 7;
    } else if (y < 128) {
        index = (x * 7 + y * 13 + ((x * y) >> 3)) % 8;
    } else if (x < 100) {
        index = (y / 40 + variant) & 7;
    } else {
        index = ((x - 100) / 50 + y / 30 + variant) & 7;
    }
    rgb[0] = (index & 1) ? 255 : 0;
    rgb[1] = (index & 2) ? 255 : 0;
    rgb[2] = (index & 4) ? 255 : 0;
}
