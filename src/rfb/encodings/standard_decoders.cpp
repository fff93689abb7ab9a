#include <encodings/standard_decoders.h>

#include <rfb/decoder_registry.h>

const int kStandardEncodings[7] = {0, 1, 2, 4, 5, -239, -223};

RectDecoder* CreateStandardDecoder(int encoding) {
    switch (encoding) {
        case 0:
            return new RawDecoder;
        case 1:
            return new CopyRectDecoder;
        case 2:
            return new RreDecoder;
        case 4:
            return new CoRreDecoder;
        case 5:
            return new HextileDecoder;
        case -239:
            return new CursorDecoder;
        case -223:
            return new DesktopSizeDecoder;
        default:
            return nullptr;
    }
}

void RegisterStandardDecoders() {
    for (int encoding : kStandardEncodings) {
        RegisterDecoder(CreateStandardDecoder(encoding));
    }
}
