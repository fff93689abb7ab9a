#include <encodings/pixel_size.h>
#include <encodings/standard_decoders.h>

#include <rfb/pixel_order.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr BYTE kRaw = 1;
constexpr BYTE kBackgroundSpecified = 2;
constexpr BYTE kForegroundSpecified = 4;
constexpr BYTE kAnySubrects = 8;
constexpr BYTE kSubrectsColoured = 16;
}  // namespace

bool HextileDecoder::Decode(RfbSession& session, SessionListener& listener, Transport& transport,
                            int x, int y, int width, int height) {
    const PixelFormat& format = session.GetPixelFormat();
    int bpp = DecodablePixelBytes(format);
    if (bpp == 0) {
        return false;
    }
    // Background and foreground carry over from tile to tile; a server that uses them before
    // setting them gets black.
    BYTE background[4] = {};
    BYTE foreground[4] = {};
    // Room for a raw tile (16 x 16 x 4) or a tile's 255 coloured subrectangles (255 x 6).
    BYTE tile[255 * 6];
    BYTE image[16 * 16 * 4];  // a tile painted from its subrectangles
    for (int ty = 0; ty < height; ty += 16) {
        int th = std::min(16, height - ty);
        for (int tx = 0; tx < width; tx += 16) {
            int tw = std::min(16, width - tx);
            BYTE subencoding;
            if (!transport.Receive(&subencoding, 1)) {
                return false;
            }
            if (subencoding & kRaw) {
                if (!transport.Receive(tile, tw * th * bpp)) {
                    return false;
                }
                FixPixelOrder(format, tile, static_cast<std::size_t>(tw) * th);
                listener.OnImageRect(x + tx, y + ty, tw, th, tile);
                continue;
            }
            if (subencoding & kBackgroundSpecified) {
                if (!transport.Receive(background, bpp)) {
                    return false;
                }
                FixPixelOrder(format, background, 1);
            }
            if (subencoding & kForegroundSpecified) {
                if (!transport.Receive(foreground, bpp)) {
                    return false;
                }
                FixPixelOrder(format, foreground, 1);
            }
            if (!(subencoding & kAnySubrects)) {
                listener.OnFillRect(x + tx, y + ty, tw, th, background);
                continue;
            }
            BYTE count;
            if (!transport.Receive(&count, 1)) {
                return false;
            }
            bool coloured = (subencoding & kSubrectsColoured) != 0;
            int subrectBytes = coloured ? bpp + 2 : 2;
            // All subrectangles of a tile arrive in one read.
            if (!transport.Receive(tile, count * subrectBytes)) {
                return false;
            }
            // The tile is painted here, background then subrectangles, and handed on as one image:
            // the same pixels as a fill for each, at the cost of one drawing call. A subrectangle
            // that reaches out of its tile ends the painting; it and the rest are filled one by
            // one.
            int painted = 0;
            for (; painted < count; ++painted) {
                BYTE* subrect = tile + painted * subrectBytes;
                int sx = subrect[subrectBytes - 2] >> 4;
                int sy = subrect[subrectBytes - 2] & 15;
                int sw = (subrect[subrectBytes - 1] >> 4) + 1;
                int sh = (subrect[subrectBytes - 1] & 15) + 1;
                if (sx + sw > tw || sy + sh > th) {
                    break;
                }
                if (painted == 0) {
                    for (int i = 0; i < tw * th; ++i) {
                        std::memcpy(image + i * bpp, background, static_cast<std::size_t>(bpp));
                    }
                }
                if (coloured) {
                    FixPixelOrder(format, subrect, 1);
                }
                const BYTE* colour = coloured ? subrect : foreground;
                for (int row = sy; row < sy + sh; ++row) {
                    for (int column = sx; column < sx + sw; ++column) {
                        std::memcpy(image + (row * tw + column) * bpp, colour,
                                    static_cast<std::size_t>(bpp));
                    }
                }
            }
            if (painted > 0) {
                listener.OnImageRect(x + tx, y + ty, tw, th, image);
            } else {
                listener.OnFillRect(x + tx, y + ty, tw, th, background);
            }
            for (int i = painted; i < count; ++i) {
                BYTE* subrect = tile + i * subrectBytes;
                BYTE* colour = foreground;
                if (coloured) {
                    FixPixelOrder(format, subrect, 1);
                    colour = subrect;
                }
                BYTE xy = subrect[subrectBytes - 2];
                BYTE wh = subrect[subrectBytes - 1];
                listener.OnFillRect(x + tx + (xy >> 4), y + ty + (xy & 15), (wh >> 4) + 1,
                                    (wh & 15) + 1, colour);
            }
        }
    }
    return true;
}
