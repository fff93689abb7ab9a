// The decoders that paint locally (Hextile rows of tiles, RRE and CoRRE rectangles with many
// subrectangles) must leave the same pixels as the plain way: a fill for every background and
// every subrectangle, an image for every raw tile, in stream order. Random updates in several
// pixel formats, with subrectangles reaching out of their tile or rectangle, rectangles partly
// outside the framebuffer and streams cut short, go through the session and through a plain
// reference decoder written here.
#include "memory_transport.h"
#include "recording_listener.h"
#include "rfb_test_bytes.h"

#include <encodings/paint_stores.h>
#include <rfb/pixel_order.h>
#include <rfb/rfb_session.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>

namespace {

// The bytes of a stream, handed out in order until they run out.
class Cursor {
  public:
    explicit Cursor(const Bytes& bytes) : bytes_(bytes) {}
    const std::uint8_t* Take(std::size_t n) {
        if (bytes_.size() - position_ < n) {
            position_ = bytes_.size();
            return nullptr;
        }
        position_ += n;
        return bytes_.data() + position_ - n;
    }
    int Read8() {
        const std::uint8_t* p = Take(1);
        return p ? p[0] : -1;
    }
    long long Read16() {
        const std::uint8_t* p = Take(2);
        return p ? (p[0] << 8 | p[1]) : -1;
    }

  private:
    const Bytes& bytes_;
    std::size_t position_ = 0;
};

// The plain decoder: reads each tile or batch whole, then draws it with one call per fill.
class Reference {
  public:
    Reference(TestFrameBuffer& framebuffer, const PixelFormat& format)
        : fb_(framebuffer), format_(format), bytes_(format.bitsPerPixel / 8) {}

    // Decodes the update at the start of stream until its end or the first short read.
    void Run(const Bytes& stream) {
        Cursor in(stream);
        in.Take(2);  // type and padding
        long long count = in.Read16();
        for (long long i = 0; i < count; ++i) {
            const std::uint8_t* header = in.Take(12);
            if (header == nullptr) {
                return;
            }
            int x = header[0] << 8 | header[1], y = header[2] << 8 | header[3];
            int w = header[4] << 8 | header[5], h = header[6] << 8 | header[7];
            bool ok =
                header[11] == 5 ? Hextile(in, x, y, w, h) : Rre(in, x, y, w, h, header[11] == 4);
            if (!ok) {
                return;
            }
        }
    }

  private:
    // A copy of n pixels in host order.
    std::vector<std::uint8_t> Pixels(const std::uint8_t* p, int n) {
        std::vector<std::uint8_t> out(p, p + static_cast<std::size_t>(n) * bytes_);
        FixPixelOrder(format_, out.data(), static_cast<std::size_t>(n));
        return out;
    }
    bool Rre(Cursor& in, int x, int y, int w, int h, bool compact) {
        const std::uint8_t* header = in.Take(4 + bytes_);
        if (header == nullptr) {
            return false;
        }
        auto count = static_cast<std::int32_t>(header[0] << 24 | header[1] << 16 | header[2] << 8 |
                                               header[3]);
        fb_.Fill(x, y, w, h, Pixels(header + 4, 1).data());
        int size = bytes_ + (compact ? 4 : 8);
        const std::uint8_t* subrects =
            count > 0 ? in.Take(static_cast<std::size_t>(count) * size) : nullptr;
        if (count > 0 && subrects == nullptr) {
            return false;
        }
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* s = subrects + i * size;
            const std::uint8_t* g = s + bytes_;
            if (compact) {
                fb_.Fill(x + g[0], y + g[1], g[2], g[3], Pixels(s, 1).data());
            } else {
                fb_.Fill(x + (g[0] << 8 | g[1]), y + (g[2] << 8 | g[3]), g[4] << 8 | g[5],
                         g[6] << 8 | g[7], Pixels(s, 1).data());
            }
        }
        return true;
    }
    bool Hextile(Cursor& in, int x, int y, int w, int h) {
        std::vector<std::uint8_t> background(4), foreground(4);
        for (int ty = 0; ty < h; ty += 16) {
            for (int tx = 0; tx < w; tx += 16) {
                int tw = std::min(16, w - tx), th = std::min(16, h - ty);
                int sub = in.Read8();
                if (sub < 0) {
                    return false;
                }
                if (sub & 1) {
                    const std::uint8_t* raw = in.Take(static_cast<std::size_t>(tw) * th * bytes_);
                    if (raw == nullptr) {
                        return false;
                    }
                    fb_.PutImage(x + tx, y + ty, tw, th, Pixels(raw, tw * th).data());
                    continue;
                }
                const std::uint8_t* p;
                if ((sub & 2) && (p = in.Take(bytes_)) == nullptr) {
                    return false;
                }
                if (sub & 2) {
                    background = Pixels(p, 1);
                }
                if ((sub & 4) && (p = in.Take(bytes_)) == nullptr) {
                    return false;
                }
                if (sub & 4) {
                    foreground = Pixels(p, 1);
                }
                int count = 0;
                const std::uint8_t* subrects = nullptr;
                int size = (sub & 16) ? bytes_ + 2 : 2;
                if (sub & 8) {
                    count = in.Read8();
                    if (count < 0 ||
                        (subrects = in.Take(static_cast<std::size_t>(count) * size)) == nullptr) {
                        return false;
                    }
                }
                fb_.Fill(x + tx, y + ty, tw, th, background.data());
                for (int i = 0; i < count; ++i) {
                    const std::uint8_t* s = subrects + i * size;
                    std::vector<std::uint8_t> colour = (sub & 16) ? Pixels(s, 1) : foreground;
                    int xy = s[size - 2], wh = s[size - 1];
                    fb_.Fill(x + tx + (xy >> 4), y + ty + (xy & 15), (wh >> 4) + 1, (wh & 15) + 1,
                             colour.data());
                }
            }
        }
        return true;
    }

    TestFrameBuffer& fb_;
    PixelFormat format_;
    int bytes_;
};

// Random rectangles in one encoding, written as a server would, with now and then a
// subrectangle out of bounds.
class StreamWriter {
  public:
    StreamWriter(std::mt19937& random, int bytesPerPixel)
        : random_(random), bytes_(bytesPerPixel) {}

    int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    void PutPixel(Bytes& b) {
        for (int i = 0; i < bytes_; ++i) {
            b.push_back(static_cast<std::uint8_t>(random_()));
        }
    }
    void Rre(Bytes& b, int x, int y, int w, int h, bool compact) {
        PutRect(b, x, y, w, h, compact ? 4 : 2);
        int count = Below(4) == 0 ? Below(3) : Below(120);
        Put32(b, static_cast<std::uint32_t>(count));
        PutPixel(b);
        for (int i = 0; i < count; ++i) {
            bool outside = Below(25) == 0;
            int sx = outside ? Below(w + 8) : Below(std::max(1, w));
            int sy = outside ? Below(h + 8) : Below(std::max(1, h));
            int sw = outside ? Below(20) : Below(std::max(1, w - sx)) + 1;
            int sh = outside ? Below(20) : Below(std::max(1, h - sy)) + 1;
            PutPixel(b);
            if (compact) {
                Put(b, {sx, sy, sw, sh});
            } else {
                Put16(b, sx), Put16(b, sy), Put16(b, sw), Put16(b, sh);
            }
        }
    }
    void Hextile(Bytes& b, int x, int y, int w, int h) {
        PutRect(b, x, y, w, h, 5);
        for (int ty = 0; ty < h; ty += 16) {
            for (int tx = 0; tx < w; tx += 16) {
                int tw = std::min(16, w - tx), th = std::min(16, h - ty);
                int sub = Below(8) == 0 ? 1 : Below(32) & ~1;
                Put(b, {sub});
                if (sub & 1) {
                    for (int i = 0; i < tw * th; ++i) {
                        PutPixel(b);
                    }
                    continue;
                }
                if (sub & 2) {
                    PutPixel(b);
                }
                if (sub & 4) {
                    PutPixel(b);
                }
                if (sub & 8) {
                    int count = Below(6) == 0 ? Below(256) : Below(12);
                    Put(b, {count});
                    for (int i = 0; i < count; ++i) {
                        if (sub & 16) {
                            PutPixel(b);
                        }
                        // Mostly inside the tile; the full 4-bit range reaches out of edge tiles
                        // and, now and then, out of whole ones.
                        bool outside = Below(30) == 0;
                        int sx = Below(outside ? 16 : tw), sy = Below(outside ? 16 : th);
                        int sw = outside ? Below(16) : Below(tw - sx);
                        int sh = outside ? Below(16) : Below(th - sy);
                        Put(b, {sx << 4 | sy, sw << 4 | sh});
                    }
                }
            }
        }
    }

  private:
    std::mt19937& random_;
    int bytes_;
};

// A listener that also offers its framebuffer to paint in straight, as the viewer's store does:
// rows with room to spare after them (the stride is not the width), and now and then a refusal,
// so that a decoder goes both ways within one update. What is painted is taken into the recorded
// framebuffer at EndDirectPaint, for the rectangle the decoder says it painted.
class DirectPaintListener : public RecordingListener {
  public:
    bool BeginDirectPaint(int x, int y, int width, int height, int bytesPerPixel, BYTE** at,
                          int* stride, std::uint32_t* setBits) override {
        EXPECT_FALSE(painting) << "painting begun twice";
        int bytes = Bytes();
        EXPECT_EQ(bytesPerPixel, bytes);
        int fbWidth = framebuffer.Width(), fbHeight = framebuffer.Height();
        if (++begins_ % 4 == 0 || x < 0 || y < 0 || width <= 0 || height <= 0 ||
            x + width > fbWidth || y + height > fbHeight) {
            return false;
        }
        // A 32-bit framebuffer's unused byte, as the device's: set in every pixel it holds, and
        // to be set in every pixel painted.
        setBits_ = bytes == 4 ? 0xFF000000u : 0;
        stride_ = (fbWidth + 5) * bytes;
        plane_.assign(static_cast<std::size_t>(stride_) * fbHeight, 0xA5);
        for (int r = 0; r < fbHeight; ++r) {
            for (int c = 0; c < fbWidth; ++c) {
                std::uint32_t value = framebuffer.At(c, r) | setBits_;
                std::memcpy(&plane_[static_cast<std::size_t>(r) * stride_ + c * bytes], &value,
                            static_cast<std::size_t>(bytes));
            }
        }
        begun_ = {x, y, width, height};
        painting = true;
        *at = plane_.data() + static_cast<std::size_t>(y) * stride_ + x * bytes;
        *stride = stride_;
        *setBits = setBits_;
        return true;
    }
    void EndDirectPaint(int x, int y, int width, int height) override {
        EXPECT_TRUE(painting) << "painting ended without a beginning";
        EXPECT_TRUE(width == 0 || height == 0 ||
                    (x >= begun_[0] && y >= begun_[1] && x + width <= begun_[0] + begun_[2] &&
                     y + height <= begun_[1] + begun_[3]))
            << "painted outside the rectangle begun";
        painting = false;
        int bytes = Bytes();
        for (int r = 0; r < height; ++r) {
            std::uint8_t* row = plane_.data() + static_cast<std::size_t>(y + r) * stride_ + x * bytes;
            for (int c = 0; setBits_ != 0 && c < width; ++c) {
                std::uint32_t value;
                std::memcpy(&value, row + c * 4, 4);
                EXPECT_EQ(value & setBits_, setBits_) << "pixel " << x + c << "," << y + r;
                value &= ~setBits_;
                std::memcpy(row + c * 4, &value, 4);
            }
            framebuffer.PutImage(x, y + r, width, 1, row);
        }
    }
    bool painting = false;

  private:
    int Bytes() const { return framebuffer.BytesPerPixel(); }
    int begins_ = 0;
    int stride_ = 0;
    std::uint32_t setBits_ = 0;
    std::array<int, 4> begun_{};
    std::vector<std::uint8_t> plane_;
};

PixelFormat Format(int bitsPerPixel, bool bigEndian) {
    PixelFormat format =
        PixelFormat::FromBits(bitsPerPixel, bitsPerPixel == 8 ? 3 : 8, bitsPerPixel == 8 ? 3 : 8,
                              bitsPerPixel == 8 ? 2 : 8);
    format.bigEndian = bigEndian ? 1 : 0;
    return format;
}

void CompareOnRandomUpdatesWith(int encoding, int width, int height, int rounds, unsigned seed) {
    for (PixelFormat format : {Format(8, true), Format(16, true), Format(16, false),
                               Format(24, false), Format(32, true), Format(32, false)}) {
        std::mt19937 random(seed + format.bitsPerPixel + format.bigEndian);
        int bytes = format.bitsPerPixel / 8;
        StreamWriter writer(random, bytes);
        for (int round = 0; round < rounds; ++round) {
            Bytes stream;
            int rects = 1 + writer.Below(3);
            PutUpdate(stream, rects);
            for (int i = 0; i < rects; ++i) {
                int x = writer.Below(width);  // often partly outside
                int y = writer.Below(height);
                int w = writer.Below(std::min(width, encoding == 4 ? 255 : width)) + 1;
                int h = writer.Below(std::min(height, encoding == 4 ? 255 : height)) + 1;
                if (encoding == 5) {
                    writer.Hextile(stream, x, y, w, h);
                } else {
                    writer.Rre(stream, x, y, w, h, encoding == 4);
                }
            }
            if (round % 5 == 4) {
                stream.resize(
                    static_cast<std::size_t>(writer.Below(static_cast<int>(stream.size()))));
            }
            TestFrameBuffer expected(width, height);
            expected.SetBytesPerPixel(bytes);
            Reference(expected, format).Run(stream);

            // Read with copies, and in place from blocks that end anywhere (inside a tile's
            // header, a subrectangle, a pixel). A stream cut short read in place draws the
            // subrectangles that arrived before the cut, where the reference drops their batch:
            // there only the copying reads are compared (the others only run).
            // Each way once more with a listener that offers its framebuffer to paint in.
            bool cut = round % 5 == 4;
            for (int run = 0; run < 6; ++run) {
                int blockBytes = std::array{0, 7, 1000}[run % 3];
                bool direct = run >= 3;
                MemoryTransport transport(stream);
                transport.ReceiveInPlaceInBlocksOf(blockBytes);
                DirectPaintListener directListener;
                RecordingListener plainListener;
                RecordingListener& listener = direct ? directListener : plainListener;
                transport.ForbidWaitingWhile(&directListener.painting);
                RfbSession session(&listener, &transport);
                session.SendSetPixelFormat(format);
                listener.framebuffer.Resize(width, height);
                listener.framebuffer.SetBytesPerPixel(bytes);
                session.ReadServerMessage();
                EXPECT_FALSE(directListener.painting) << "painting not ended";
                EXPECT_EQ(transport.Waits(), 0) << "a read that may wait while painting";
                // Painted in place, a 32-bit pixel's unused byte is the framebuffer's own.
                std::uint32_t colour = direct && bytes == 4 ? 0x00FFFFFFu : ~0u;
                if ((!cut || blockBytes == 0) &&
                    listener.framebuffer.Pixels() != expected.Pixels()) {
                    for (int p = 0; p < width * height; ++p) {
                        ASSERT_EQ(listener.framebuffer.At(p % width, p / width) & colour,
                                  expected.At(p % width, p / width) & colour)
                            << "encoding " << encoding << ", " << int(format.bitsPerPixel)
                            << " bits " << (format.bigEndian ? "big" : "little")
                            << "-endian, round " << round << ", blocks of " << blockBytes
                            << (direct ? ", painted in place" : "")
                            << ": pixel " << p % width << "," << p / width;
                    }
                }
            }
        }
    }
}

// With the plain stores, and with the processor's masked stores where it has them.
void CompareOnRandomUpdates(int encoding, int width, int height, int rounds, unsigned seed) {
    bool before = MaskedPaintStores();
    for (bool masked : {false, true}) {
        if (UseMaskedPaintStores(masked) == masked) {
            SCOPED_TRACE(masked ? "masked stores" : "plain stores");
            CompareOnRandomUpdatesWith(encoding, width, height, rounds, seed);
        }
    }
    UseMaskedPaintStores(before);
}

TEST(PaintedDecoding, HextileGivesThePixelsOfAFillPerTileAndSubrectangle) {
    CompareOnRandomUpdates(5, 90, 70, 40, 1);
}

TEST(PaintedDecoding, HextileWiderThanOneBand) {
    CompareOnRandomUpdates(5, 1300, 40, 4, 2);
}

TEST(PaintedDecoding, RreGivesThePixelsOfAFillPerSubrectangle) {
    CompareOnRandomUpdates(2, 90, 70, 60, 3);
}

TEST(PaintedDecoding, CoRreGivesThePixelsOfAFillPerSubrectangle) {
    CompareOnRandomUpdates(4, 300, 270, 20, 4);
}

// The bulk byte swap against one pixel at a time, at every count up to several steps and at
// every alignment.
TEST(PaintedDecoding, BulkByteSwapEqualsOnePixelAtATime) {
    for (int bits : {16, 32}) {
        PixelFormat format = Format(bits, true);
        int bytes = bits / 8;
        for (int offset = 0; offset < 4; ++offset) {
            for (int count = 0; count < 40; ++count) {
                Bytes data(static_cast<std::size_t>(offset + count * bytes));
                for (std::size_t i = 0; i < data.size(); ++i) {
                    data[i] = static_cast<std::uint8_t>(i * 37 + count);
                }
                Bytes expected = data;
                for (int i = 0; i < count; ++i) {
                    FixPixelOrder(format, expected.data() + offset + i * bytes, 1);
                }
                FixPixelOrder(format, data.data() + offset, static_cast<std::size_t>(count));
                ASSERT_EQ(data, expected) << bits << " bits, " << count << " at " << offset;
            }
        }
    }
}

}  // namespace
