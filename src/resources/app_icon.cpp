// Icon 101: a 32 x 32 picture of a small monitor on a blue tile, as an 8-bit DIB.
#include "byte_writer.h"

#include <resources/resources.h>

namespace {

enum : BYTE { kTile, kFrame, kScreen, kEdge };

BYTE PixelAt(int x, int y) {  // y counts from the top
    if (x < 1 || y < 1 || x > 30 || y > 30) {
        return kEdge;
    }
    bool inFrame = x >= 5 && x < 27 && y >= 6 && y < 22;
    bool inScreen = x >= 7 && x < 25 && y >= 8 && y < 20;
    bool inStand =
        (x >= 14 && x < 18 && y >= 22 && y < 25) || (x >= 10 && x < 22 && y >= 25 && y < 27);
    return inScreen ? kScreen : inFrame || inStand ? kFrame : kTile;
}

}  // namespace

std::vector<BYTE> BuildAppIcon() {
    constexpr int kSide = 32;
    const std::uint32_t palette[4] = {0x2060B0, 0xF0F0F0, 0x60C0F0, 0x103060};
    std::vector<BYTE> out;
    Put8BitDibHeader(out, kSide, kSide, palette);
    for (int row = kSide - 1; row >= 0; --row) {
        for (int x = 0; x < kSide; ++x) {
            out.push_back(PixelAt(x, row));
        }
    }
    return out;
}
