// Little-endian words for the resource builders.
#pragma once

#include <platform/types.h>

#include <vector>

inline void Put16(std::vector<BYTE>& out, std::uint16_t v) {
    out.push_back(static_cast<BYTE>(v));
    out.push_back(static_cast<BYTE>(v >> 8));
}
inline void Put32(std::vector<BYTE>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

// The information header of a bottom-up, uncompressed DIB of 4 or 8 bits per pixel and its
// palette (0x00RRGGBB entries); the rows follow, each padded to a multiple of 4 bytes.
template <std::size_t Colours>
void PutPaletteDibHeader(std::vector<BYTE>& out, int width, int height, int bitsPerPixel,
                         const std::uint32_t (&palette)[Colours]) {
    int stride = (width * bitsPerPixel + 31) / 32 * 4;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up
    Put16(out, 1);
    Put16(out, static_cast<std::uint16_t>(bitsPerPixel));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(stride * height));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, Colours);  // colours used
    Put32(out, 0);
    for (std::uint32_t colour : palette) {
        Put32(out, colour);
    }
}

// The 8-bit header: one byte a pixel.
template <std::size_t Colours>
void Put8BitDibHeader(std::vector<BYTE>& out, int width, int height,
                      const std::uint32_t (&palette)[Colours]) {
    PutPaletteDibHeader(out, width, height, 8, palette);
}
