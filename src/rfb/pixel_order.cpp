#include <rfb/pixel_order.h>

#include <cstring>

void FixPixelOrder(const PixelFormat& format, BYTE* pixels, std::size_t pixelCount) {
    if (format.bigEndian == 0 || pixels == nullptr) {
        return;
    }
    if (format.bitsPerPixel == 16) {
        for (std::size_t i = 0; i < pixelCount; ++i) {
            std::uint16_t p;
            std::memcpy(&p, pixels + 2 * i, 2);
            p = __builtin_bswap16(p);
            std::memcpy(pixels + 2 * i, &p, 2);
        }
    } else if (format.bitsPerPixel == 32) {
        for (std::size_t i = 0; i < pixelCount; ++i) {
            std::uint32_t p;
            std::memcpy(&p, pixels + 4 * i, 4);
            p = __builtin_bswap32(p);
            std::memcpy(pixels + 4 * i, &p, 4);
        }
    }
}
