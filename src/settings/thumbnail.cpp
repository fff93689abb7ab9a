#include <settings/thumbnail.h>

int ThumbnailBytesPerPixel(ThumbnailFormat format) {
    switch (format) {
        case ThumbnailFormat::Rgb332:
            return 1;
        case ThumbnailFormat::Rgb565:
            return 2;
        case ThumbnailFormat::Rgb24:
            return 3;
        case ThumbnailFormat::Rgb32:
            return 4;
    }
    return 4;
}

void ScaleRowToBgr(const BYTE* sourceRow, int srcW, BYTE* destinationRow, int dstW,
                   ThumbnailFormat format) {
    int bytes = ThumbnailBytesPerPixel(format);
    for (int j = 0; j < dstW; ++j) {
        const BYTE* p = sourceRow + static_cast<std::size_t>(j) * srcW / dstW * bytes;
        BYTE* out = destinationRow + static_cast<std::size_t>(j) * 3;
        switch (format) {
            case ThumbnailFormat::Rgb332:
                out[0] = static_cast<BYTE>((p[0] & 3) << 6);
                out[1] = static_cast<BYTE>(((p[0] >> 2) & 7) << 5);
                out[2] = static_cast<BYTE>((p[0] >> 5) << 5);
                break;
            case ThumbnailFormat::Rgb565: {
                unsigned v = p[0] | p[1] << 8;
                out[0] = static_cast<BYTE>((v & 31) << 3);
                out[1] = static_cast<BYTE>(((v >> 5) & 63) << 2);
                out[2] = static_cast<BYTE>((v >> 11) << 3);
                break;
            }
            case ThumbnailFormat::Rgb24:
            case ThumbnailFormat::Rgb32:
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
                break;
        }
    }
}

void ScaleImageToBgr(const BYTE* source, int srcW, int srcH, BYTE* destination, int dstW, int dstH,
                     ThumbnailFormat format) {
    if (source == nullptr || destination == nullptr || srcW <= 0 || srcH <= 0 || dstW <= 0 ||
        dstH <= 0) {
        return;
    }
    std::size_t sourceStride = static_cast<std::size_t>(srcW) * ThumbnailBytesPerPixel(format);
    for (int i = 0; i < dstH; ++i) {
        std::size_t row = static_cast<std::size_t>(i) * srcH / dstH;
        ScaleRowToBgr(source + row * sourceStride, srcW,
                      destination + static_cast<std::size_t>(i) * dstW * 3, dstW, format);
    }
}

void ThumbnailSize(int width, int height, int* thumbWidth, int* thumbHeight) {
    if (width <= height) {
        *thumbWidth = height > 0 ? width * 128 / height : 0;
        *thumbHeight = 128;
    } else {
        *thumbWidth = 128;
        *thumbHeight = height * 128 / width;
    }
}
