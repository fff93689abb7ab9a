// The 16-byte RFB pixel-format record. The three maxima are kept in host order in memory and
// travel big-endian.
#pragma once

#include <platform/types.h>

struct PixelFormat {
    BYTE bitsPerPixel = 0;
    BYTE depth = 0;
    BYTE bigEndian = 0;
    BYTE trueColour = 0;
    WORD redMax = 0;
    WORD greenMax = 0;
    WORD blueMax = 0;
    BYTE redShift = 0;
    BYTE greenShift = 0;
    BYTE blueShift = 0;
    BYTE padding[3] = {0, 0, 0};

    // True-colour, big-endian, red in the high bits and blue in the low ones.
    static PixelFormat FromBits(int bitsPerPixel, int redBits, int greenBits, int blueBits);
    static PixelFormat FromWire(const BYTE* bytes);  // 16 bytes
    void ToWire(BYTE* bytes) const;                  // 16 bytes
    int BytesPerPixel() const { return bitsPerPixel / 8; }
};
