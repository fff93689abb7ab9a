// Bytes per pixel of the session's format; 0 for a format the decoders cannot walk (a pixel size
// other than 8, 16, 24 or 32 bits), which fails the rectangle.
#pragma once

#include <rfb/pixel_format.h>

inline int DecodablePixelBytes(const PixelFormat& format) {
    switch (format.bitsPerPixel) {
        case 8:
        case 16:
        case 24:
        case 32:
            return format.bitsPerPixel / 8;
        default:
            return 0;
    }
}
