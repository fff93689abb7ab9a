// The handle bitmaps of the tool bars: a grip of raised dots along the handle's longer side on a
// light grey face, as 4-bit DIBs. The zoom bar's are 137 (8 x 32), 138 (16 x 64), 139 (32 x 8) and
// 140 (64 x 16); the key toolbar's the same shapes as 156, 154, 157 and 155.
#include "byte_writer.h"

#include <resources/resources.h>

#include <algorithm>

namespace {

enum : BYTE { kFace, kLight, kShadow };

// The pixel at (along, across) of a grip length long and thickness thick. Each dot is a lit
// square and a shadowed one below and right of it, s pixels each (s = thickness / 8), one dot
// every 4s along the middle of the handle.
BYTE GripPixel(int along, int across, int length, int thickness) {
    int s = std::max(thickness / 8, 1);
    int dots = (length - 2 * s) / (4 * s);
    int first = (length - (4 * s * dots - 2 * s)) / 2;
    int side = (thickness - 2 * s) / 2;
    int step = along - first;
    if (dots <= 0 || step < 0 || step >= 4 * s * dots || across < side || across >= side + 2 * s) {
        return kFace;
    }
    int inDotAlong = step % (4 * s), inDotAcross = across - side;
    if (inDotAlong < s && inDotAcross < s) {
        return kLight;
    }
    if (inDotAlong >= s && inDotAlong < 2 * s && inDotAcross >= s) {
        return kShadow;
    }
    return kFace;
}

}  // namespace

std::vector<BYTE> BuildHandleBitmap(int width, int height) {
    const std::uint32_t palette[3] = {0xC0C0C0, 0xFFFFFF, 0x606060};
    bool tall = height >= width;
    std::vector<BYTE> out;
    PutPaletteDibHeader(out, width, height, 4, palette);
    int stride = (width * 4 + 31) / 32 * 4;
    for (int row = height - 1; row >= 0; --row) {
        std::vector<BYTE> line(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < width; ++x) {
            BYTE pixel = tall ? GripPixel(row, x, height, width) : GripPixel(x, row, width, height);
            line[static_cast<std::size_t>(x / 2)] |=
                static_cast<BYTE>(x % 2 == 0 ? pixel << 4 : pixel);
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}
