#include <encodings/pixel_size.h>
#include <encodings/standard_decoders.h>

#include <rfb/pixel_order.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>

#include <algorithm>

namespace {
// A large rectangle is read and drawn in bands of whole rows, so memory stays small whatever size
// the server announces. The band stays with the session: 32 KiB (16 rows of 1024 16-bit pixels)
// is 2 % of such a framebuffer, and its reads still go straight from the socket.
constexpr int kBandBytes = 32 * 1024;
}  // namespace

bool RawDecoder::Decode(RfbSession& session, SessionListener& listener, Transport& transport, int x,
                        int y, int width, int height) {
    const PixelFormat& format = session.GetPixelFormat();
    int bytesPerPixel = DecodablePixelBytes(format);
    if (bytesPerPixel == 0) {
        return false;
    }
    int rowBytes = width * bytesPerPixel;
    if (rowBytes == 0 || height == 0) {
        BYTE none = 0;
        listener.OnImageRect(x, y, width, height, &none);
        return true;
    }
    int bandRows = std::clamp(kBandBytes / rowBytes, 1, height);
    BYTE* band = session.PixelBuffer(static_cast<std::size_t>(bandRows) * rowBytes);
    for (int row = 0; row < height; row += bandRows) {
        int rows = std::min(bandRows, height - row);
        if (!transport.Receive(band, rows * rowBytes)) {
            return false;
        }
        FixPixelOrder(format, band, static_cast<std::size_t>(rows) * width);
        listener.OnImageRect(x, y + row, width, rows, band);
    }
    return true;
}
