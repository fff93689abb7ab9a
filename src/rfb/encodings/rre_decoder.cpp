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

// Paints subrectangles of a batch, in order, into the image (width x height pixels, rows stride
// pixels apart, setBits set in each) until one reaches out of it; returns how many were painted.
template <typename Pixel, bool kCompact, bool kBigEndian, typename Stores>
[[gnu::always_inline]] inline int PaintSubrectsAs(Pixel* image, int stride, int width, int height,
                                                  const BYTE* subrect, int count,
                                                  std::uint32_t setBits) {
    constexpr int kSubrectBytes = sizeof(Pixel) + (kCompact ? 4 : 8);
    for (int i = 0; i < count; ++i, subrect += kSubrectBytes) {
        Geometry g = ReadGeometry(subrect + sizeof(Pixel), kCompact);
        if (g.x + g.w > width || g.y + g.h > height) {
            return i;
        }
        Stores::Fill(image, stride, g.x, g.y, g.w, g.h,
                     WithBits(ReadWirePixel<Pixel>(subrect, kBigEndian), setBits));
    }
    return count;
}

template <typename Pixel, typename Stores>
[[gnu::always_inline]] inline int PaintSubrectsWith(Pixel* image, int stride, int width, int height,
                                                    const BYTE* subrects, int count, bool compact,
                                                    bool bigEndian, std::uint32_t setBits) {
    if (compact) {
        return bigEndian ? PaintSubrectsAs<Pixel, true, true, Stores>(image, stride, width, height,
                                                                      subrects, count, setBits)
                         : PaintSubrectsAs<Pixel, true, false, Stores>(
                               image, stride, width, height, subrects, count, setBits);
    }
    return bigEndian ? PaintSubrectsAs<Pixel, false, true, Stores>(image, stride, width, height,
                                                                   subrects, count, setBits)
                     : PaintSubrectsAs<Pixel, false, false, Stores>(image, stride, width, height,
                                                                    subrects, count, setBits);
}

// Compiled whole for the plain stores and for the masked ones (as the Hextile tiles are).
template <typename Pixel>
[[gnu::flatten]] int PaintSubrectsPlain(Pixel* image, int stride, int width, int height,
                                        const BYTE* subrects, int count, bool compact,
                                        bool bigEndian, std::uint32_t setBits) {
    return PaintSubrectsWith<Pixel, PlainStores>(image, stride, width, height, subrects, count,
                                                 compact, bigEndian, setBits);
}

template <typename Pixel>
[[gnu::flatten, TAVREL_MASKED_TARGET]] int PaintSubrectsMasked(Pixel* image, int stride, int width,
                                                               int height, const BYTE* subrects,
                                                               int count, bool compact,
                                                               bool bigEndian,
                                                               std::uint32_t setBits) {
    return PaintSubrectsWith<Pixel, MaskedStores>(image, stride, width, height, subrects, count,
                                                  compact, bigEndian, setBits);
}

// Where a rectangle with many subrectangles is painted: straight into the listener's
// framebuffer where it offers that (ended before every read that may wait for the network, as
// the framebuffer stays locked meanwhile, and begun again after it), otherwise the session's
// buffer, handed on as one image at the end.
template <typename Pixel>
class PaintedRect {
  public:
    PaintedRect(SessionListener& listener, int x, int y, int width, int height)
        : listener_(listener), x_(x), y_(y), width_(width), height_(height) {}
    ~PaintedRect() { HandOn(); }
    PaintedRect(const PaintedRect&) = delete;
    PaintedRect& operator=(const PaintedRect&) = delete;
    // Starts painting with the background.
    void Start(RfbSession& session, Pixel background) {
        if (!Resume()) {
            auto pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
            image_ = reinterpret_cast<Pixel*>(session.PixelBuffer(pixels * sizeof(Pixel)));
            stride_ = width_;
        }
        PaintRect(image_, stride_, 0, 0, width_, height_, WithBits(background, setBits_));
    }
    // Null once handed on (or never started): then subrectangles are filled one by one.
    Pixel* Image() const { return image_; }
    int Stride() const { return stride_; }
    // The bits to set in every pixel painted (a 32-bit framebuffer's unused byte; none in the
    // buffer).
    std::uint32_t SetBits() const { return setBits_; }
    void BeforeWaiting() {
        if (direct_ && image_ != nullptr) {
            listener_.EndDirectPaint(x_, y_, width_, height_);
            image_ = nullptr;
            paused_ = true;
        }
    }
    // After the read: painting in the framebuffer goes on where it can; otherwise the rest is
    // filled.
    void AfterWaiting() {
        if (paused_) {
            paused_ = false;
            Resume();
        }
    }
    void HandOn() {
        if (image_ != nullptr) {
            if (direct_) {
                listener_.EndDirectPaint(x_, y_, width_, height_);
            } else {
                listener_.OnImageRect(x_, y_, width_, height_,
                                      reinterpret_cast<const BYTE*>(image_));
            }
            image_ = nullptr;
        }
        paused_ = false;
    }

  private:
    bool Resume() {
        DirectPlace<Pixel> place;
        direct_ = BeginDirectPaint(listener_, x_, y_, width_, height_, &place);
        if (direct_) {
            image_ = place.at;
            stride_ = place.stride;
        }
        setBits_ = place.setBits;
        return direct_;
    }

    SessionListener& listener_;
    int x_;
    int y_;
    int width_;
    int height_;
    Pixel* image_ = nullptr;
    int stride_ = 0;
    std::uint32_t setBits_ = 0;
    bool direct_ = false;
    bool paused_ = false;
};

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
    PaintedRect<Pixel> painted(listener, x, y, width, height);
    if (count > 0 && area > 0 && area <= kMaxPaintedPixels && area <= count * kPixelsPerSubrect) {
        painted.Start(session, background);
    } else {
        listener.OnFillRect(x, y, width, height, reinterpret_cast<const BYTE*>(&background));
    }
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
        bool waits = transport.HeldBytes() < subrectBytes;
        if (waits) {
            painted.BeforeWaiting();
        }
        const BYTE* batch = scratch;
        if (inPlace) {
            int length = 0;
            batch = transport.ReceiveInPlace(subrectBytes, n * subrectBytes, &length);
            n = length / subrectBytes;
        } else if (!transport.Receive(scratch, n * subrectBytes)) {
            batch = nullptr;
        }
        if (batch == nullptr || n == 0) {
            painted.HandOn();
            return false;
        }
        if (waits) {
            painted.AfterWaiting();
        }
        int i = 0;
        if (Pixel* image = painted.Image()) {
            i = paintSubrects(image, painted.Stride(), width, height, batch, n, compact, bigEndian,
                              painted.SetBits());
            if (i < n) {
                // One reaches out of the rectangle: it and the rest are filled in order.
                painted.HandOn();
            }
        }
        for (const BYTE* subrect = batch + i * subrectBytes; i < n; ++i, subrect += subrectBytes) {
            Pixel colour = ReadWirePixel<Pixel>(subrect, bigEndian);
            Geometry g = ReadGeometry(subrect + kBytes, compact);
            listener.OnFillRect(x + g.x, y + g.y, g.w, g.h, reinterpret_cast<const BYTE*>(&colour));
        }
        done += n;
    }
    painted.HandOn();
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
