// RRE and CoRRE: a background fill, then solid subrectangles with 16-bit (RRE) or 8-bit (CoRRE)
// coordinates relative to the rectangle.
#include <encodings/pixel_size.h>
#include <encodings/standard_decoders.h>

#include <rfb/pixel_order.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>
#include <rfb/wire.h>

#include <algorithm>
#include <vector>

namespace {

// Subrectangles per read: at most 4096 x 12 bytes, so a huge announced count costs no memory
// before its bytes have arrived.
constexpr std::int32_t kBatch = 4096;

bool DecodeRre(RfbSession& session, SessionListener& listener, Transport& transport, int x, int y,
               int width, int height, bool compact) {
    const PixelFormat& format = session.GetPixelFormat();
    int bpp = DecodablePixelBytes(format);
    if (bpp == 0) {
        return false;
    }
    BYTE header[8] = {};
    if (!transport.Receive(header, 4 + bpp)) {
        return false;
    }
    auto count = static_cast<std::int32_t>(wire::Read32(header));
    FixPixelOrder(format, header + 4, 1);
    listener.OnFillRect(x, y, width, height, header + 4);
    int subrectBytes = bpp + (compact ? 4 : 8);
    // Subrectangles are read in batches: fewer reads, and a large batch skips the read-ahead.
    std::vector<BYTE> batch;
    for (std::int32_t done = 0; done < count;) {
        int n = static_cast<int>(std::min<std::int32_t>(count - done, kBatch));
        batch.resize(static_cast<std::size_t>(n) * subrectBytes);
        if (!transport.Receive(batch.data(), n * subrectBytes)) {
            return false;
        }
        for (int i = 0; i < n; ++i) {
            BYTE* subrect = &batch[static_cast<std::size_t>(i) * subrectBytes];
            FixPixelOrder(format, subrect, 1);
            const BYTE* geometry = subrect + bpp;
            if (compact) {
                listener.OnFillRect(x + geometry[0], y + geometry[1], geometry[2], geometry[3],
                                    subrect);
            } else {
                listener.OnFillRect(x + wire::Read16(geometry), y + wire::Read16(geometry + 2),
                                    wire::Read16(geometry + 4), wire::Read16(geometry + 6), subrect);
            }
        }
        done += n;
    }
    return true;
}

}  // namespace

bool RreDecoder::Decode(RfbSession& session, SessionListener& listener, Transport& transport, int x,
                        int y, int width, int height) {
    return DecodeRre(session, listener, transport, x, y, width, height, false);
}

bool CoRreDecoder::Decode(RfbSession& session, SessionListener& listener, Transport& transport,
                          int x, int y, int width, int height) {
    return DecodeRre(session, listener, transport, x, y, width, height, true);
}
