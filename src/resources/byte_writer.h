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

// The information header of a bottom-up, uncompressed 8-bit DIB and its palette (0x00RRGGBB
// entries); the rows follow, one byte a pixel.
template <std::size_t Colours>
void Put8BitDibHeader(std::vector<BYTE>& out, int width, int height,
                      const std::uint32_t (&palette)[Colours]) {
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(width * height));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, Colours);  // colours used
    Put32(out, 0);
    for (std::uint32_t colour : palette) {
        Put32(out, colour);
    }
}
