// Brings big-endian pixels into host (little-endian) order in place: 16- and 32-bit pixels are
// byte-swapped, 8- and 24-bit ones left as they are. Inline: the decoders call it for every
// single fill colour.
#pragma once

#include <rfb/pixel_format.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

inline void FixPixelOrder(const PixelFormat& format, BYTE* pixels, std::size_t pixelCount) {
    if (format.bigEndian == 0 || pixels == nullptr) {
        return;
    }
    if (format.bitsPerPixel == 16) {
        for (std::size_t i = 0; i < pixelCount; ++i) {
            std::uint16_t p;
            std::memcpy(&p, pixels + 2 * i, 2);
            p = __builtin_bswap16(p);
            std::memcpy(pixels + 2 * i, &p, 2);
        }
    } else if (format.bitsPerPixel == 32) {
        for (std::size_t i = 0; i < pixelCount; ++i) {
            std::uint32_t p;
            std::memcpy(&p, pixels + 4 * i, 4);
            p = __builtin_bswap32(p);
            std::memcpy(pixels + 4 * i, &p, 4);
        }
    }
}
