#include <rfb/pixel_format.h>

#include <rfb/wire.h>

PixelFormat PixelFormat::FromBits(int bitsPerPixel, int redBits, int greenBits, int blueBits) {
    PixelFormat format;
    format.bitsPerPixel = static_cast<BYTE>(bitsPerPixel);
    format.depth = static_cast<BYTE>(bitsPerPixel);
    format.bigEndian = 1;
    format.trueColour = 1;
    format.redMax = static_cast<WORD>((1u << redBits) - 1);
    format.greenMax = static_cast<WORD>((1u << greenBits) - 1);
    format.blueMax = static_cast<WORD>((1u << blueBits) - 1);
    format.redShift = static_cast<BYTE>(greenBits + blueBits);
    format.greenShift = static_cast<BYTE>(blueBits);
    format.blueShift = 0;
    return format;
}

PixelFormat PixelFormat::FromWire(const BYTE* bytes) {
    PixelFormat format;
    format.bitsPerPixel = bytes[0];
    format.depth = bytes[1];
    format.bigEndian = bytes[2];
    format.trueColour = bytes[3];
    format.redMax = wire::Read16(bytes + 4);
    format.greenMax = wire::Read16(bytes + 6);
    format.blueMax = wire::Read16(bytes + 8);
    format.redShift = bytes[10];
    format.greenShift = bytes[11];
    format.blueShift = bytes[12];
    return format;
}

void PixelFormat::ToWire(BYTE* bytes) const {
    bytes[0] = bitsPerPixel;
    bytes[1] = depth;
    bytes[2] = bigEndian;
    bytes[3] = trueColour;
    wire::Write16(bytes + 4, redMax);
    wire::Write16(bytes + 6, greenMax);
    wire::Write16(bytes + 8, blueMax);
    bytes[10] = redShift;
    bytes[11] = greenShift;
    bytes[12] = blueShift;
    bytes[13] = bytes[14] = bytes[15] = 0;
}
