#include "screen_recording.h"

#include "pattern.h"

#include <algorithm>
#include <map>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}

void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFF);
}

struct Subrect {
    int x, y, w, h;
    std::uint16_t colour;
};

// The colours that the previous tiles left in force; none after a raw tile.
struct TileState {
    bool haveBackground = false;
    bool haveForeground = false;
    std::uint16_t background = 0;
    std::uint16_t foreground = 0;
};

// A tile as a background and subrectangles of the other colours: runs along a row, each merged
// with the same run of the row above. Raw when that would not be smaller.
void EncodeTile(int tx, int ty, int tw, int th, TileState& state, Bytes& out) {
    auto pixel = [&](int x, int y) { return PatternPixel565(tx + x, ty + y); };
    std::map<std::uint16_t, int> counts;
    for (int y = 0; y < th; ++y) {
        for (int x = 0; x < tw; ++x) {
            ++counts[pixel(x, y)];
        }
    }
    auto byCount = [](const auto& a, const auto& b) { return a.second < b.second; };
    std::uint16_t background = std::max_element(counts.begin(), counts.end(), byCount)->first;
    std::vector<Subrect> subrects;
    for (int y = 0; y < th; ++y) {
        for (int x = 0; x < tw;) {
            std::uint16_t p = pixel(x, y);
            int end = x + 1;
            while (end < tw && pixel(end, y) == p) {
                ++end;
            }
            if (p != background) {
                auto above = std::find_if(subrects.begin(), subrects.end(), [&](const Subrect& s) {
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
    bool mono = std::all_of(subrects.begin(), subrects.end(),
                            [&](const Subrect& s) { return s.colour == subrects.front().colour; });
    std::size_t encoded = subrects.size() * (mono ? 2 : 4) + 6;
    if (subrects.size() > 255 || encoded >= static_cast<std::size_t>(tw * th * 2)) {
        out.push_back(1);
        for (int y = 0; y < th; ++y) {
            for (int x = 0; x < tw; ++x) {
                Put16(out, pixel(x, y));
            }
        }
        state = TileState{};
        return;
    }
    std::uint8_t subencoding = 0;
    bool newBackground = !state.haveBackground || background != state.background;
    bool newForeground = !subrects.empty() && mono &&
                         (!state.haveForeground || subrects.front().colour != state.foreground);
    subencoding |= newBackground ? 2 : 0;
    subencoding |= newForeground ? 4 : 0;
    subencoding |= subrects.empty() ? 0 : 8;
    subencoding |= !subrects.empty() && !mono ? 16 : 0;
    out.push_back(subencoding);
    if (newBackground) {
        Put16(out, background);
        state.haveBackground = true;
        state.background = background;
    }
    if (newForeground) {
        Put16(out, subrects.front().colour);
        state.haveForeground = true;
        state.foreground = subrects.front().colour;
    }
    if (subrects.empty()) {
        return;
    }
    out.push_back(static_cast<std::uint8_t>(subrects.size()));
    for (const Subrect& s : subrects) {
        if (!mono) {
            Put16(out, s.colour);
        }
        out.push_back(static_cast<std::uint8_t>((s.x << 4) | s.y));
        out.push_back(static_cast<std::uint8_t>(((s.w - 1) << 4) | (s.h - 1)));
    }
}

}  // namespace

std::uint16_t PatternPixel565(int x, int y) {
    std::uint8_t rgb[3];
    PatternColour(x, y, 0, rgb);
    return static_cast<std::uint16_t>(((rgb[0] >> 3) << 11) | ((rgb[1] >> 2) << 5) | (rgb[2] >> 3));
}

ScreenRecording RecordPatternScreen(int width, int height, int encoding) {
    ScreenRecording recording;
    recording.width = width;
    recording.height = height;
    Bytes& b = recording.bytes;
    const std::string version = "RFB 003.003\n";
    b.assign(version.begin(), version.end());
    Put32(b, 1);  // no authentication
    Put16(b, static_cast<unsigned>(width));
    Put16(b, static_cast<unsigned>(height));
    // The server's own format, 32-bit 8:8:8 little-endian; the client asks for another.
    b.insert(b.end(), {32, 24, 0, 1, 0, 255, 0, 255, 0, 255, 16, 8, 0, 0, 0, 0});
    const std::string name = "pattern";
    Put32(b, static_cast<std::uint32_t>(name.size()));
    b.insert(b.end(), name.begin(), name.end());
    recording.openingEnd = b.size();

    b.insert(b.end(), {0, 0});
    Put16(b, 1);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, static_cast<unsigned>(width));
    Put16(b, static_cast<unsigned>(height));
    Put32(b, static_cast<std::uint32_t>(encoding));
    recording.payloadStart = b.size();
    if (encoding == 5) {
        TileState state;
        for (int ty = 0; ty < height; ty += 16) {
            for (int tx = 0; tx < width; tx += 16) {
                EncodeTile(tx, ty, std::min(16, width - tx), std::min(16, height - ty), state, b);
            }
        }
    } else {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                Put16(b, PatternPixel565(x, y));
            }
        }
    }
    return recording;
}
