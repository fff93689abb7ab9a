#include "screen_recording.h"

#include "hextile_encoder.h"
#include "pattern.h"

#include <algorithm>
#include <map>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;
using hextile_encoder::Put16;

void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFF);
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
        hextile_encoder::TileState state;
        for (int ty = 0; ty < height; ty += 16) {
            for (int tx = 0; tx < width; tx += 16) {
                hextile_encoder::EncodeTile(
                    [&](int x, int y) { return PatternPixel565(tx + x, ty + y); },
                    std::min(16, width - tx), std::min(16, height - ty), false, state, b);
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
