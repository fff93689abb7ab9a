// The message loop with every decoder over a transport fed from the fuzzer's bytes. The first
// five bytes choose the pixel format (8, 16 or 32 bits) and the framebuffer's size (up to
// 511 x 511); the rest is what the server sends after the handshake.
#include "fuzz_listener.h"
#include "memory_transport.h"

#include <encodings/standard_decoders.h>
#include <rfb/decoder_registry.h>
#include <rfb/rfb_session.h>

namespace {

bool registered = [] {
    RegisterStandardDecoders();
    return true;
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5 || !registered) {
        return 0;
    }
    static const int kBits[3][4] = {{8, 3, 3, 2}, {16, 5, 6, 5}, {32, 8, 8, 8}};
    const int* bits = kBits[data[0] % 3];
    int width = data[1] | ((data[2] & 1) << 8);
    int height = data[3] | ((data[4] & 1) << 8);
    MemoryTransport transport;
    transport.SetInput(data + 5, size - 5);
    FuzzListener listener(width, height, bits[0] / 8);
    RfbSession session(&listener, &transport);
    session.SetPixelFormatFromBits(bits[0], bits[1], bits[2], bits[3]);
    session.SetFramebufferSize(width, height);
    session.RunMessageLoop();
    return 0;
}
