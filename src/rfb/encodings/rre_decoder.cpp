// RRE and CoRRE: a background fill, then solid subrectangles with 16-bit (RRE) or 8-bit (CoRRE)
// coordinates relative to the rectangle.
#include <encodings/pixel_size.h>
#include <encodings/standard_decoders.h>

#include <rfb/pixel_order.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>
#include <rfb/wire.h>

namespace {

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
    for (std::int32_t i = 0; i < count; ++i) {
        BYTE subrect[12] = {};
        if (!transport.Receive(subrect, subrectBytes)) {
            return false;
        }
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
