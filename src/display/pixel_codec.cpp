#include <display/pixel_codec.h>

int BytesPerPixel(CodecKind kind) {
    switch (kind) {
        case CodecKind::Rgb332:
        case CodecKind::Rgb222:
            return 1;
        case CodecKind::Rgb565:
            return 2;
        case CodecKind::Rgb24:
            return 3;
        case CodecKind::Rgb32:
            return 4;
        case CodecKind::Other:
            break;
    }
    return 0;
}

std::unique_ptr<PixelCodec> SelectSourceCodec(int bitsPerPixel, int redBits, int greenBits,
                                              int blueBits) {
    switch (bitsPerPixel) {
        case 8:
            if (redBits == 3 && greenBits == 3 && blueBits == 2) {
                return std::make_unique<Codec332>();
            }
            if (redBits == 2 && greenBits == 2 && blueBits == 2) {
                return std::make_unique<Codec222>();
            }
            return nullptr;
        case 16:
            return std::make_unique<Codec565>();
        case 24:
            return std::make_unique<Codec24>();
        case 32:
            return std::make_unique<Codec32>();
        default:
            return nullptr;
    }
}
