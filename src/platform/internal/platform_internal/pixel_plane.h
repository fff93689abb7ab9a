// Raw pixel memory as the blitter sees it: a surface, the screen, or a window's backing surface.
#pragma once

#include <platform/types.h>

struct PixelPlane {
    BYTE* pixels = nullptr;  // pixel (0, 0)
    int pitch = 0;           // bytes from one row to the next
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;  // 1 to 4; also the step from one pixel to the next in a row
};

// Nearest-neighbour SRCCOPY of sourceRect of source onto destRect of dest: destination pixel
// (x, y) takes source pixel (sourceRect.left + ((2 * (x - destRect.left) + 1) * sourceWidth) /
// (2 * destWidth), likewise for y), the source pixel whose extent holds the destination pixel's
// centre. Only destination pixels inside clip are written. The caller guarantees: both planes
// have the same bytes per pixel, sourceRect is non-empty and inside source, destRect is
// non-empty, clip lies inside dest, and source and destination memory do not overlap unless
// the sizes are equal (then rows are moved as by memmove, in a safe order).
void StretchBlit(const PixelPlane& dest, const RECT& destRect, const RECT& clip,
                 const PixelPlane& source, const RECT& sourceRect);
// Equal-size blits copy rows with vectors of this many bytes: 64 where the processor has them,
// else 16. Tests choose each in turn; a width the processor lacks is ignored. Returns the width
// now in use.
int SetBlitRowVectorBytes(int bytes);
