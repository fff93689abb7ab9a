// Reading device-independent bitmaps, as found in bitmap files and bitmap resources.
#include <platform/resources.h>
#include <platform_internal/gdi_objects.h>

#include <bit>

namespace {

std::uint32_t U32(const BYTE* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t U16(const BYTE* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

constexpr std::int32_t kMaxSide = 32767;
constexpr std::uint64_t kMaxPixels = 64ull << 20;

// Widens a masked component to 8 bits, replicating its high bits.
BYTE Component(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    int shift = std::countr_zero(mask);
    int width = std::popcount(mask);
    std::uint32_t value = (pixel & mask) >> shift;
    if (width >= 8) {
        return static_cast<BYTE>(value >> (width - 8));
    }
    std::uint32_t out = 0;
    for (int filled = 0; filled < 8; filled += width) {
        out = (out << width) | value;
    }
    return static_cast<BYTE>(out >> (((8 + width - 1) / width) * width - 8));
}

}  // namespace

std::unique_ptr<BitmapObject> ParseDib(const BYTE* data, std::size_t size,
                                       std::size_t pixelOffset) {
    if (data == nullptr || size < 40) {
        return nullptr;
    }
    std::uint32_t headerSize = U32(data);
    auto width = static_cast<std::int32_t>(U32(data + 4));
    auto height = static_cast<std::int32_t>(U32(data + 8));
    std::uint16_t planes = U16(data + 12);
    std::uint16_t bpp = U16(data + 14);
    std::uint32_t compression = U32(data + 16);
    std::uint32_t coloursUsed = U32(data + 32);
    bool topDown = height < 0;
    if (headerSize < 40 || headerSize > size || planes != 1 || width <= 0 || height == 0 ||
        height == INT32_MIN || width > kMaxSide || (topDown ? -height : height) > kMaxSide) {
        return nullptr;
    }
    height = topDown ? -height : height;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels) {
        return nullptr;
    }
    bool palettised = bpp == 1 || bpp == 4 || bpp == 8;
    bool bitFields = compression == 3 && (bpp == 16 || bpp == 32);
    if (!(palettised || bpp == 16 || bpp == 24 || bpp == 32) || !(compression == 0 || bitFields)) {
        return nullptr;
    }
    std::size_t tableOffset = headerSize;
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // 16-bit default 5:5:5
    if (bpp == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    auto bitmap = std::make_unique<BitmapObject>();
    if (bitFields) {
        if (headerSize == 40) {
            if (size < 52) {
                return nullptr;
            }
            tableOffset += 12;
        } else if (headerSize < 52) {
            return nullptr;
        }
        masks[0] = U32(data + 40), masks[1] = U32(data + 44), masks[2] = U32(data + 48);
    } else if (palettised) {
        std::uint32_t entries = coloursUsed == 0 ? (1u << bpp) : coloursUsed;
        if (entries > (1u << bpp) || tableOffset + 4ull * entries > size) {
            return nullptr;
        }
        for (std::uint32_t i = 0; i < entries; ++i) {
            const BYTE* q = data + tableOffset + 4 * i;
            bitmap->palette.push_back(static_cast<DWORD>(q[2]) << 16 | q[1] << 8 | q[0]);
        }
        bitmap->palette.resize(1u << bpp, 0);
        tableOffset += 4ull * entries;
    }
    if (pixelOffset == 0) {
        pixelOffset = tableOffset;
    }
    std::size_t sourceStride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    if (pixelOffset > size ||
        (size - pixelOffset) / sourceStride < static_cast<std::size_t>(height)) {
        return nullptr;
    }
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bitsPerPixel = palettised ? bpp : 24;
    bitmap->stride =
        static_cast<int>(((static_cast<std::size_t>(width) * bitmap->bitsPerPixel + 31) / 32) * 4);
    bitmap->bits.assign(static_cast<std::size_t>(bitmap->stride) * height, 0);
    for (int y = 0; y < height; ++y) {
        const BYTE* source = data + pixelOffset + sourceStride * (topDown ? y : height - 1 - y);
        BYTE* target = bitmap->bits.data() + static_cast<std::size_t>(bitmap->stride) * y;
        if (palettised || bpp == 24) {
            std::copy(source, source + (static_cast<std::size_t>(width) * bpp + 7) / 8, target);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = bpp == 16 ? U16(source + 2 * x) : U32(source + 4 * x);
            target[3 * x] = Component(pixel, masks[2]);
            target[3 * x + 1] = Component(pixel, masks[1]);
            target[3 * x + 2] = Component(pixel, masks[0]);
        }
    }
    return bitmap;
}

HBITMAP LoadBitmapW(HINSTANCE module, LPCWSTR name) {
    HRSRC resource = FindResourceW(module, name, RT_BITMAP);
    auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    if (bytes == nullptr) {
        return nullptr;
    }
    return AddGdiObject(ParseDib(bytes, SizeofResource(module, resource), 0));
}
