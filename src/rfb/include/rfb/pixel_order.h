// Brings big-endian pixels into host (little-endian) order in place: 16- and 32-bit pixels are
// byte-swapped, 8- and 24-bit ones left as they are. A single pixel (every fill colour) is
// swapped inline; longer runs go to the bulk routines, 64 bytes a step where the processor has
// AVX-512BW and 16 elsewhere.
#pragma once

#include <rfb/pixel_format.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

// Swap the two bytes of each of count 16-bit pixels, or the four of each 32-bit pixel.
void SwapPixelBytes16(BYTE* pixels, std::size_t count);
void SwapPixelBytes32(BYTE* pixels, std::size_t count);

inline void FixPixelOrder(const PixelFormat& format, BYTE* pixels, std::size_t pixelCount) {
    if (format.bigEndian == 0 || pixels == nullptr) {
        return;
    }
    if (format.bitsPerPixel == 16) {
        if (pixelCount == 1) {
            std::uint16_t p;
            std::memcpy(&p, pixels, 2);
            p = __builtin_bswap16(p);
            std::memcpy(pixels, &p, 2);
        } else {
            SwapPixelBytes16(pixels, pixelCount);
        }
    } else if (format.bitsPerPixel == 32) {
        if (pixelCount == 1) {
            std::uint32_t p;
            std::memcpy(&p, pixels, 4);
            p = __builtin_bswap32(p);
            std::memcpy(pixels, &p, 4);
        } else {
            SwapPixelBytes32(pixels, pixelCount);
        }
    }
}
