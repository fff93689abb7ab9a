// The thumbnail placeholder: a grey 128 x 96 picture of a monitor, drawn here as an 8-bit DIB.
#include "byte_writer.h"

#include <resources/resources.h>

namespace {

// Palette indices of the picture.
enum : BYTE { kBackground, kFrame, kScreen, kShade };

BYTE PixelAt(int x, int y) {  // y counts from the top
    bool inMonitor = x >= 24 && x < 104 && y >= 14 && y < 70;
    bool inScreen = x >= 30 && x < 98 && y >= 20 && y < 64;
    bool inStand =
        (x >= 56 && x < 72 && y >= 70 && y < 78) || (x >= 44 && x < 84 && y >= 78 && y < 82);
    if (inScreen) {
        return (x + y) % 16 < 8 && y < 30 ? kShade : kScreen;
    }
    return inMonitor || inStand ? kFrame : kBackground;
}

}  // namespace

std::vector<BYTE> BuildPlaceholderBitmap() {
    constexpr int kWidth = 128, kHeight = 96;
    const std::uint32_t palette[4] = {0xE0E0E0, 0x707070, 0xB8B8B8, 0xC8C8C8};
    std::vector<BYTE> out;
    Put8BitDibHeader(out, kWidth, kHeight, palette);
    for (int row = kHeight - 1; row >= 0; --row) {
        for (int x = 0; x < kWidth; ++x) {
            out.push_back(PixelAt(x, row));
        }
    }
    return out;
}
