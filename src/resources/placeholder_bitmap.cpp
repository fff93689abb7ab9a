// The thumbnail placeholder: a grey 128 x 96 picture of a monitor, drawn here as an 8-bit DIB.
#include <resources/resources.h>

namespace {

void Put32(std::vector<BYTE>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
}
void Put16(std::vector<BYTE>& out, std::uint16_t v) {
    out.push_back(static_cast<BYTE>(v));
    out.push_back(static_cast<BYTE>(v >> 8));
}

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
    Put32(out, 40);
    Put32(out, kWidth);
    Put32(out, kHeight);  // bottom-up
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, kWidth * kHeight);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 4);  // colours used
    Put32(out, 0);
    for (std::uint32_t colour : palette) {
        out.push_back(static_cast<BYTE>(colour));
        out.push_back(static_cast<BYTE>(colour >> 8));
        out.push_back(static_cast<BYTE>(colour >> 16));
        out.push_back(0);
    }
    for (int row = kHeight - 1; row >= 0; --row) {
        for (int x = 0; x < kWidth; ++x) {
            out.push_back(PixelAt(x, row));
        }
    }
    return out;
}
