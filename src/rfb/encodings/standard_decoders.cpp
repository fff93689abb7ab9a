#include <encodings/standard_decoders.h>

#include <rfb/decoder_registry.h>

void RegisterStandardDecoders() {
    RegisterDecoder(new RawDecoder);
    RegisterDecoder(new CopyRectDecoder);
    RegisterDecoder(new RreDecoder);
    RegisterDecoder(new CoRreDecoder);
    RegisterDecoder(new HextileDecoder);
    RegisterDecoder(new CursorDecoder);
    RegisterDecoder(new DesktopSizeDecoder);
}
