#include <encodings/pixel_size.h>
#include <encodings/standard_decoders.h>

#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>

#include <algorithm>
#include <vector>

namespace {
// Cursors are small; a larger shape is read past without being handed on.
constexpr long long kMaxCursorBytes = 1024 * 1024;
}  // namespace

bool CursorDecoder::Decode(RfbSession& session, SessionListener& listener, Transport& transport,
                           int x, int y, int width, int height) {
    int bpp = DecodablePixelBytes(session.GetPixelFormat());
    if (bpp == 0) {
        return false;
    }
    long long pixelBytes = static_cast<long long>(width) * height * bpp;
    long long maskBytes = static_cast<long long>((width + 7) / 8) * height;
    long long total = pixelBytes + maskBytes;
    if (total > kMaxCursorBytes) {
        std::vector<BYTE> skip(64 * 1024);
        for (long long left = total; left > 0;) {
            int chunk =
                static_cast<int>(std::min<long long>(left, static_cast<long long>(skip.size())));
            if (!transport.Receive(skip.data(), chunk)) {
                return false;
            }
            left -= chunk;
        }
        return true;
    }
    std::vector<BYTE> shape(static_cast<std::size_t>(total) + 1);
    if (!transport.Receive(shape.data(), static_cast<int>(total))) {
        return false;
    }
    listener.OnCursorShape(x, y, width, height, shape.data(), shape.data() + pixelBytes);
    return true;
}
