#include <encodings/pixel_size.h>
#include <encodings/standard_decoders.h>

#include <rfb/pixel_order.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>

#include <algorithm>
#include <cstdint>

namespace {
// A large rectangle is read and drawn in bands of whole rows, so memory stays small whatever size
// the server announces. The band stays with the session: 32 KiB (16 rows of 1024 16-bit pixels)
// is 2 % of such a framebuffer, and its reads still go straight from the socket.
constexpr int kBandBytes = 32 * 1024;

// Where the transport keeps what it receives, the pixels are drawn from there: each block of
// bytes goes to the listener as the server sent it (whole rows where it holds them, the pieces
// of a row split between blocks as one-row rectangles), converted into the framebuffer in the
// same pass that brings them into order.
bool DecodeInPlace(const PixelFormat& format, int bytesPerPixel, SessionListener& listener,
                   Transport& transport, int x, int y, int width, int height) {
    int row = 0;
    int column = 0;
    while (row < height) {
        std::int64_t left =
            (static_cast<std::int64_t>(height - row) * width - column) * bytesPerPixel;
        int maximum = static_cast<int>(std::min<std::int64_t>(left, 1 << 30));
        int length = 0;
        const BYTE* bytes = transport.ReceiveInPlace(bytesPerPixel, maximum, &length);
        if (bytes == nullptr || length < bytesPerPixel) {
            return false;
        }
        for (int pixels = length / bytesPerPixel; pixels > 0;) {
            int drawn;
            if (column == 0 && pixels >= width) {
                int rows = pixels / width;
                listener.OnImageRectAsSent(x, y + row, width, rows, bytes, format);
                row += rows;
                drawn = rows * width;
            } else {
                drawn = std::min(pixels, width - column);
                listener.OnImageRectAsSent(x + column, y + row, drawn, 1, bytes, format);
                column += drawn;
                if (column == width) {
                    column = 0;
                    ++row;
                }
            }
            bytes += static_cast<std::size_t>(drawn) * bytesPerPixel;
            pixels -= drawn;
        }
    }
    return true;
}

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
    if (transport.ReceivesInPlace()) {
        return DecodeInPlace(format, bytesPerPixel, listener, transport, x, y, width, height);
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
