#include "pixel_paint.h"

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

// Tiles are painted side by side straight into the listener's framebuffer where it offers that,
// otherwise into a band (one row of tiles, at most this many pixels wide) that is handed on as
// one image: the same pixels as drawing each tile and each of its subrectangles, at the cost of
// one drawing call per band (or none).
constexpr int kBandPixels = 1024;

// One row of tiles being painted, from column start (relative to the rectangle) on; painted is
// how many pixels of them are done. A part is begun at the first tile painted after a Flush.
template <typename Pixel>
class TileBand {
  public:
    TileBand(SessionListener& listener, Pixel* band, int x, int y, int width, int rows)
        : listener_(listener), band_(band), x_(x), y_(y), width_(width), rows_(rows) {}
    ~TileBand() { Flush(); }
    TileBand(const TileBand&) = delete;
    TileBand& operator=(const TileBand&) = delete;
    // The band holds as many tiles as it can: Flush before the next.
    bool Full() const { return open_ && painted_ == limit_; }
    // The top-left pixel of the next tile, rows Stride() pixels apart.
    Pixel* Next() {
        if (!open_) {
            Open();
        }
        return pixels_ + painted_;
    }
    int Stride() const { return stride_; }
    // The bits to set in every pixel painted (a 32-bit framebuffer's unused byte; none in a band).
    std::uint32_t SetBits() const { return setBits_; }
    void Painted(int tileWidth) { painted_ += tileWidth; }
    // Before a read that may wait for the network: painting in the framebuffer ends (it keeps
    // the framebuffer locked); a band waits.
    void BeforeWaiting() {
        if (open_ && direct_) {
            Flush();
        }
    }
    // Hands on what is painted and starts again after it.
    void Flush() {
        if (!open_) {
            return;
        }
        if (direct_) {
            listener_.EndDirectPaint(x_ + start_, y_, painted_, rows_);
        } else if (painted_ > 0) {
            // A band cut short has rows of fewer pixels than its stride: close them up.
            for (int r = 1; painted_ < stride_ && r < rows_; ++r) {
                std::memmove(pixels_ + r * painted_, pixels_ + r * stride_,
                             painted_ * sizeof(Pixel));
            }
            listener_.OnImageRect(x_ + start_, y_, painted_, rows_,
                                  reinterpret_cast<const BYTE*>(pixels_));
        }
        start_ += painted_;
        painted_ = 0;
        open_ = false;
    }

  private:
    void Open() {
        open_ = true;
        DirectPlace<Pixel> place;
        direct_ = BeginDirectPaint(listener_, x_ + start_, y_, width_ - start_, rows_, &place);
        if (direct_) {
            pixels_ = place.at;
            stride_ = place.stride;
            setBits_ = place.setBits;
            limit_ = width_ - start_;
            return;
        }
        setBits_ = 0;
        pixels_ = band_;
        limit_ = std::min(kBandPixels, width_ - start_);
        stride_ = limit_;
    }

    SessionListener& listener_;
    Pixel* band_;
    int x_;
    int y_;
    int width_;
    int rows_;
    bool open_ = false;
    bool direct_ = false;
    Pixel* pixels_ = nullptr;
    int start_ = 0;
    int painted_ = 0;
    int limit_ = 0;
    int stride_ = 0;
    std::uint32_t setBits_ = 0;
};

// Paints a tile that is not raw: its background, then count subrectangles in order, into the
// tile at `at` (rows stride pixels apart), with setBits set in every pixel; stops before the
// first subrectangle that reaches out of the tile. Returns how many subrectangles were painted.
template <typename Pixel, bool kColoured, bool kBigEndian, typename Stores>
[[gnu::always_inline]] inline int PaintTileAs(Pixel* at, int stride, int tw, int th,
                                              Pixel background, const BYTE* subrect, int count,
                                              Pixel foreground, std::uint32_t setBits) {
    constexpr int kSubrectBytes = kColoured ? sizeof(Pixel) + 2 : 2;
    foreground = WithBits(foreground, setBits);
    Stores::Fill(at, stride, 0, 0, tw, th, WithBits(background, setBits));
    for (int i = 0; i < count; ++i, subrect += kSubrectBytes) {
        unsigned xy = subrect[kSubrectBytes - 2];
        unsigned wh = subrect[kSubrectBytes - 1];
        unsigned sx = xy >> 4;
        unsigned sy = xy & 15;
        unsigned sw = (wh >> 4) + 1;
        unsigned sh = (wh & 15) + 1;
        if (sx + sw > static_cast<unsigned>(tw) || sy + sh > static_cast<unsigned>(th)) {
            return i;
        }
        Pixel colour =
            kColoured ? WithBits(ReadWirePixel<Pixel>(subrect, kBigEndian), setBits) : foreground;
        Stores::Fill(at, stride, static_cast<int>(sx), static_cast<int>(sy), static_cast<int>(sw),
                     static_cast<int>(sh), colour);
    }
    return count;
}

// One painting loop for each kind of subrectangle, so the loop carries no tests of its own.
template <typename Pixel, typename Stores>
[[gnu::always_inline]] inline int PaintTileWith(Pixel* at, int stride, int tw, int th,
                                                Pixel background, const BYTE* subrects, int count,
                                                bool coloured, bool bigEndian, Pixel foreground,
                                                std::uint32_t setBits) {
    if (!coloured) {
        return PaintTileAs<Pixel, false, false, Stores>(at, stride, tw, th, background, subrects,
                                                        count, foreground, setBits);
    }
    return bigEndian ? PaintTileAs<Pixel, true, true, Stores>(at, stride, tw, th, background,
                                                              subrects, count, foreground, setBits)
                     : PaintTileAs<Pixel, true, false, Stores>(at, stride, tw, th, background,
                                                               subrects, count, foreground,
                                                               setBits);
}

// The two compilations of the painting: everything they call is inlined into them (flatten), so
// the masked one is compiled whole for the processors that have its stores.
template <typename Pixel>
[[gnu::flatten]] int PaintTilePlain(Pixel* at, int stride, int tw, int th, Pixel background,
                                    const BYTE* subrects, int count, bool coloured, bool bigEndian,
                                    Pixel foreground, std::uint32_t setBits) {
    return PaintTileWith<Pixel, PlainStores>(at, stride, tw, th, background, subrects, count,
                                             coloured, bigEndian, foreground, setBits);
}

template <typename Pixel>
[[gnu::flatten, TAVREL_MASKED_TARGET]] int PaintTileMasked(Pixel* at, int stride, int tw, int th,
                                                           Pixel background, const BYTE* subrects,
                                                           int count, bool coloured, bool bigEndian,
                                                           Pixel foreground,
                                                           std::uint32_t setBits) {
    return PaintTileWith<Pixel, MaskedStores>(at, stride, tw, th, background, subrects, count,
                                              coloured, bigEndian, foreground, setBits);
}

template <typename Pixel>
bool DecodeTiles(const PixelFormat& format, RfbSession& session, SessionListener& listener,
                 Transport& transport, int x, int y, int width, int height) {
    constexpr int kBytes = sizeof(Pixel);
    bool bigEndian = format.bigEndian != 0;
    // Background and foreground carry over from tile to tile; a server that uses them before
    // setting them gets black.
    Pixel background{};
    Pixel foreground{};
    // Room for a raw tile (16 x 16 x 4) or a tile's 255 coloured subrectangles (255 x 6), and
    // for a tile's first bytes, where they are copied.
    BYTE tile[255 * 6];
    BYTE wire[2 * 4 + 1];
    auto* paintTile = MaskedPaintStores() ? PaintTileMasked<Pixel> : PaintTilePlain<Pixel>;
    bool inPlace = transport.ReceivesInPlace();
    auto* pixels = reinterpret_cast<Pixel*>(
        session.PixelBuffer(static_cast<std::size_t>(std::min(width, kBandPixels)) * 16 * kBytes));
    for (int ty = 0; ty < height; ty += 16) {
        int th = std::min(16, height - ty);
        TileBand<Pixel> band(listener, pixels, x, y + ty, width, th);
        // The next length bytes: where the transport holds them, at once; otherwise painting in
        // the framebuffer ends first, as the read may wait.
        auto read = [&](BYTE* scratch, int length) -> const BYTE* {
            if (length > transport.HeldBytes()) {
                band.BeforeWaiting();
            }
            return ReceiveWhole(transport, inPlace, scratch, length);
        };
        // On a failed read the tiles completed before it are still drawn.
        auto fail = [&band] {
            band.Flush();
            return false;
        };
        for (int tx = 0; tx < width; tx += 16) {
            int tw = std::min(16, width - tx);
            if (band.Full()) {
                band.Flush();
            }
            const BYTE* first = read(wire, 1);
            if (first == nullptr) {
                return fail();
            }
            BYTE subencoding = *first;
            if (subencoding & kRaw) {
                // Straight from where the transport holds the pixels into the band.
                const BYTE* raw = read(tile, tw * th * kBytes);
                if (raw == nullptr) {
                    return fail();
                }
                Pixel* at = band.Next();
                int stride = band.Stride();
                for (int r = 0; r < th; ++r) {
                    CopyWirePixels(at + r * stride, raw + r * tw * kBytes, tw, bigEndian,
                                   band.SetBits());
                }
                band.Painted(tw);
                continue;
            }
            // Background, foreground and the subrectangle count, those that are present, come
            // in one read.
            int headerBytes = (subencoding & kBackgroundSpecified ? kBytes : 0) +
                              (subencoding & kForegroundSpecified ? kBytes : 0) +
                              (subencoding & kAnySubrects ? 1 : 0);
            const BYTE* field = read(wire, headerBytes);
            if (field == nullptr) {
                return fail();
            }
            if (subencoding & kBackgroundSpecified) {
                background = ReadWirePixel<Pixel>(field, bigEndian);
                field += kBytes;
            }
            if (subencoding & kForegroundSpecified) {
                foreground = ReadWirePixel<Pixel>(field, bigEndian);
                field += kBytes;
            }
            if (!(subencoding & kAnySubrects)) {
                Pixel* at = band.Next();
                paintTile(at, band.Stride(), tw, th, background, tile, 0, false, bigEndian,
                          foreground, band.SetBits());
                band.Painted(tw);
                continue;
            }
            BYTE count = *field;
            bool coloured = (subencoding & kSubrectsColoured) != 0;
            int subrectBytes = coloured ? kBytes + 2 : 2;
            // All subrectangles of a tile arrive in one read.
            const BYTE* subrects = read(tile, count * subrectBytes);
            if (subrects == nullptr) {
                return fail();
            }
            // A subrectangle that reaches out of its tile ends the painting: the band is handed
            // on with this tile as painted so far, and that subrectangle and the rest are
            // filled one by one, in order.
            Pixel* at = band.Next();
            int painted = paintTile(at, band.Stride(), tw, th, background, subrects, count,
                                    coloured, bigEndian, foreground, band.SetBits());
            band.Painted(tw);
            if (painted == count) {
                continue;
            }
            band.Flush();
            for (const BYTE* subrect = subrects + painted * subrectBytes; painted < count;
                 ++painted, subrect += subrectBytes) {
                Pixel colour = coloured ? ReadWirePixel<Pixel>(subrect, bigEndian) : foreground;
                std::memcpy(wire, &colour, kBytes);
                BYTE xy = subrect[subrectBytes - 2];
                BYTE wh = subrect[subrectBytes - 1];
                listener.OnFillRect(x + tx + (xy >> 4), y + ty + (xy & 15), (wh >> 4) + 1,
                                    (wh & 15) + 1, wire);
            }
        }
        band.Flush();
    }
    return true;
}

}  // namespace

bool HextileDecoder::Decode(RfbSession& session, SessionListener& listener, Transport& transport,
                            int x, int y, int width, int height) {
    const PixelFormat& format = session.GetPixelFormat();
    int bpp = DecodablePixelBytes(format);
    if (bpp == 0) {
        return false;
    }
    return WithPixelType(bpp, [&](auto pixel) {
        return DecodeTiles<decltype(pixel)>(format, session, listener, transport, x, y, width,
                                            height);
    });
}
