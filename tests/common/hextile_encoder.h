// A Hextile tile encoded the way a plain server sends it, for test servers and benchmarks that
// make their own recordings of big-endian screens (16-bit pixels, or 32-bit ones).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace hextile_encoder {

inline void Put16(std::vector<std::uint8_t>& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}

// A pixel of sizeof(Pixel) bytes, most significant byte first.
template <typename Pixel>
void PutPixel(std::vector<std::uint8_t>& b, Pixel v) {
    for (int shift = 8 * (static_cast<int>(sizeof(Pixel)) - 1); shift >= 0; shift -= 8) {
        b.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

// The colours that earlier tiles left in force; none after a raw tile.
template <typename Pixel>
struct BasicTileState {
    bool haveBackground = false;
    bool haveForeground = false;
    Pixel background = 0;
    Pixel foreground = 0;
};
using TileState = BasicTileState<std::uint16_t>;

template <typename Pixel>
struct Subrect {
    int x, y, w, h;
    Pixel colour;
};

// One tile the way a plain Hextile server sends it: the commonest colour as background and the
// rest as subrectangles (runs along a row, each merged with the same run of the row above), raw
// when that would not be smaller or when forced. Returns where a raw tile's pixels begin, or 0.
template <typename PixelOf, typename Pixel>
std::size_t EncodeTile(PixelOf pixel, int tw, int th, bool forceRaw, BasicTileState<Pixel>& state,
                       std::vector<std::uint8_t>& out) {
    std::vector<Subrect<Pixel>> subrects;
    Pixel background = 0;
    if (!forceRaw) {
        std::map<Pixel, int> counts;
        for (int y = 0; y < th; ++y) {
            for (int x = 0; x < tw; ++x) {
                ++counts[pixel(x, y)];
            }
        }
        background = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                         return a.second < b.second;
                     })->first;
        for (int y = 0; y < th; ++y) {
            for (int x = 0; x < tw;) {
                Pixel p = pixel(x, y);
                int end = x + 1;
                while (end < tw && pixel(end, y) == p) {
                    ++end;
                }
                if (p != background) {
                    auto above = std::find_if(
                        subrects.begin(), subrects.end(), [&](const Subrect<Pixel>& s) {
                            return s.x == x && s.w == end - x && s.y + s.h == y && s.colour == p;
                        });
                    if (above != subrects.end()) {
                        ++above->h;
                    } else {
                        subrects.push_back({x, y, end - x, 1, p});
                    }
                }
                x = end;
            }
        }
    }
    bool mono = std::all_of(subrects.begin(), subrects.end(), [&](const Subrect<Pixel>& s) {
        return s.colour == subrects.front().colour;
    });
    std::size_t encoded = subrects.size() * (mono ? 2 : 2 + sizeof(Pixel)) + 2 + 2 * sizeof(Pixel);
    if (forceRaw || subrects.size() > 255 || encoded >= tw * th * sizeof(Pixel)) {
        out.push_back(1);
        std::size_t pixels = out.size();
        for (int y = 0; y < th; ++y) {
            for (int x = 0; x < tw; ++x) {
                PutPixel<Pixel>(out, pixel(x, y));
            }
        }
        state = BasicTileState<Pixel>{};
        return pixels;
    }
    bool newBackground = !state.haveBackground || background != state.background;
    bool newForeground = !subrects.empty() && mono &&
                         (!state.haveForeground || subrects.front().colour != state.foreground);
    out.push_back(static_cast<std::uint8_t>((newBackground ? 2 : 0) | (newForeground ? 4 : 0) |
                                            (subrects.empty() ? 0 : 8) |
                                            (!subrects.empty() && !mono ? 16 : 0)));
    if (newBackground) {
        PutPixel(out, background);
        state.haveBackground = true;
        state.background = background;
    }
    if (newForeground) {
        PutPixel(out, subrects.front().colour);
        state.haveForeground = true;
        state.foreground = subrects.front().colour;
    }
    if (!subrects.empty()) {
        out.push_back(static_cast<std::uint8_t>(subrects.size()));
        for (const Subrect<Pixel>& s : subrects) {
            if (!mono) {
                PutPixel(out, s.colour);
            }
            out.push_back(static_cast<std::uint8_t>((s.x << 4) | s.y));
            out.push_back(static_cast<std::uint8_t>(((s.w - 1) << 4) | (s.h - 1)));
        }
    }
    return 0;
}

}  // namespace hextile_encoder
