// RRE and CoRRE: a background fill, then solid subrectangles with 16-bit (RRE) or 8-bit (CoRRE)
// coordinates relative to the rectangle.
#include "pixel_paint.h"

#include <encodings/pixel_size.h>
#include <encodings/standard_decoders.h>

#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/transport.h>
#include <rfb/wire.h>

#include <algorithm>
#include <cstring>

namespace {

// Subrectangles per read: at most 4096 x 12 bytes, so a huge announced count costs no memory
// before its bytes have arrived.
constexpr std::int32_t kBatch = 4096;

// A rectangle with many subrectangles for its size is painted here (background, then each
// subrectangle) and handed on as one image: the same pixels as a fill for each, for one drawing
// call. Painting costs about as much per pixel as a drawing call does per this many pixels;
// larger rectangles than kMaxPaintedPixels are always filled.
constexpr std::int64_t kPixelsPerSubrect = 512;
constexpr std::int64_t kMaxPaintedPixels = std::int64_t{1} << 21;

// A subrectangle's place and size: 8-bit (CoRRE) or 16-bit (RRE) numbers.
struct Geometry {
    int x, y, w, h;
};
[[gnu::always_inline]] inline Geometry ReadGeometry(const BYTE* g, bool compact) {
    if (compact) {
        return {g[0], g[1], g[2], g[3]};
    }
    return {wire::Read16(g), wire::Read16(g + 2), wire::Read16(g + 4), wire::Read16(g + 6)};
}

// Paints subrectangles of a batch, in order, into the image (width x height pixels) until one
// reaches out of it; returns how many were painted.
template <typename Pixel, bool kCompact, bool kBigEndian, typename Stores>
[[gnu::always_inline]] inline int PaintSubrectsAs(Pixel* image, int width, int height,
                                                  const BYTE* subrect, int count) {
    constexpr int kSubrectBytes = sizeof(Pixel) + (kCompact ? 4 : 8);
    for (int i = 0; i < count; ++i, subrect += kSubrectBytes) {
        Geometry g = ReadGeometry(subrect + sizeof(Pixel), kCompact);
        if (g.x + g.w > width || g.y + g.h > height) {
            return i;
        }
        Stores::Fill(image, width, g.x, g.y, g.w, g.h, ReadWirePixel<Pixel>(subrect, kBigEndian));
    }
    return count;
}

template <typename Pixel, typename Stores>
[[gnu::always_inline]] inline int PaintSubrectsWith(Pixel* image, int width, int height,
                                                    const BYTE* subrects, int count, bool compact,
                                                    bool bigEndian) {
    if (compact) {
        return bigEndian ? PaintSubrectsAs<Pixel, true, true, Stores>(image, width, height,
                                                                      subrects, count)
                         : PaintSubrectsAs<Pixel, true, false, Stores>(image, width, height,
                                                                       subrects, count);
    }
    return bigEndian
               ? PaintSubrectsAs<Pixel, false, true, Stores>(image, width, height, subrects, count)
               : PaintSubrectsAs<Pixel, false, false, Stores>(image, width, height, subrects,
                                                              count);
}

// Compiled whole for the plain stores and for the masked ones (as the Hextile tiles are).
template <typename Pixel>
[[gnu::flatten]] int PaintSubrectsPlain(Pixel* image, int width, int height, const BYTE* subrects,
                                        int count, bool compact, bool bigEndian) {
    return PaintSubrectsWith<Pixel, PlainStores>(image, width, height, subrects, count, compact,
                                                 bigEndian);
}

template <typename Pixel>
[[gnu::flatten, TAVREL_MASKED_TARGET]] int PaintSubrectsMasked(Pixel* image, int width, int height,
                                                               const BYTE* subrects, int count,
                                                               bool compact, bool bigEndian) {
    return PaintSubrectsWith<Pixel, MaskedStores>(image, width, height, subrects, count, compact,
                                                  bigEndian);
}

template <typename Pixel>
bool DecodeRre(const PixelFormat& format, RfbSession& session, SessionListener& listener,
               Transport& transport, int x, int y, int width, int height, bool compact) {
    constexpr int kBytes = sizeof(Pixel);
    bool bigEndian = format.bigEndian != 0;
    BYTE header[8] = {};
    if (!transport.Receive(header, 4 + kBytes)) {
        return false;
    }
    auto count = static_cast<std::int32_t>(wire::Read32(header));
    Pixel background = ReadWirePixel<Pixel>(header + 4, bigEndian);
    std::int64_t area = std::int64_t{width} * height;
    Pixel* image = nullptr;
    if (count > 0 && area > 0 && area <= kMaxPaintedPixels && area <= count * kPixelsPerSubrect) {
        image =
            reinterpret_cast<Pixel*>(session.PixelBuffer(static_cast<std::size_t>(area) * kBytes));
        PaintRect(image, width, 0, 0, width, height, background);
    } else {
        listener.OnFillRect(x, y, width, height, reinterpret_cast<const BYTE*>(&background));
    }
    // Hands on the painted image; afterwards everything is filled.
    auto handOn = [&] {
        if (image != nullptr) {
            listener.OnImageRect(x, y, width, height, reinterpret_cast<const BYTE*>(image));
            image = nullptr;
        }
    };
    int subrectBytes = kBytes + (compact ? 4 : 8);
    auto* paintSubrects =
        MaskedPaintStores() ? PaintSubrectsMasked<Pixel> : PaintSubrectsPlain<Pixel>;
    // Subrectangles are read in batches: fewer reads, and a large batch skips the read-ahead.
    // Where the transport holds what it receives, a batch is the whole subrectangles it holds,
    // painted from there. On a failed read what was decoded before it is still drawn.
    bool inPlace = transport.ReceivesInPlace();
    BYTE* scratch =
        count > 0 && !inPlace
            ? session.ReadBuffer(static_cast<std::size_t>(std::min(count, kBatch) * subrectBytes))
            : nullptr;
    for (std::int32_t done = 0; done < count;) {
        int n = static_cast<int>(std::min<std::int32_t>(count - done, kBatch));
        const BYTE* batch = scratch;
        if (inPlace) {
            int length = 0;
            batch = transport.ReceiveInPlace(subrectBytes, n * subrectBytes, &length);
            n = length / subrectBytes;
        } else if (!transport.Receive(scratch, n * subrectBytes)) {
            batch = nullptr;
        }
        if (batch == nullptr || n == 0) {
            handOn();
            return false;
        }
        int i = 0;
        if (image != nullptr) {
            i = paintSubrects(image, width, height, batch, n, compact, bigEndian);
            if (i < n) {
                // One reaches out of the rectangle: it and the rest are filled in order.
                handOn();
            }
        }
        for (const BYTE* subrect = batch + i * subrectBytes; i < n; ++i, subrect += subrectBytes) {
            Pixel colour = ReadWirePixel<Pixel>(subrect, bigEndian);
            Geometry g = ReadGeometry(subrect + kBytes, compact);
            listener.OnFillRect(x + g.x, y + g.y, g.w, g.h, reinterpret_cast<const BYTE*>(&colour));
        }
        done += n;
    }
    handOn();
    return true;
}

bool DecodeEither(RfbSession& session, SessionListener& listener, Transport& transport, int x,
                  int y, int width, int height, bool compact) {
    const PixelFormat& format = session.GetPixelFormat();
    int bpp = DecodablePixelBytes(format);
    if (bpp == 0) {
        return false;
    }
    return WithPixelType(bpp, [&](auto pixel) {
        return DecodeRre<decltype(pixel)>(format, session, listener, transport, x, y, width, height,
                                          compact);
    });
}

}  // namespace

bool RreDecoder::Decode(RfbSession& session, SessionListener& listener, Transport& transport, int x,
                        int y, int width, int height) {
    return DecodeEither(session, listener, transport, x, y, width, height, false);
}

bool CoRreDecoder::Decode(RfbSession& session, SessionListener& listener, Transport& transport,
                          int x, int y, int width, int height) {
    return DecodeEither(session, listener, transport, x, y, width, height, true);
}
