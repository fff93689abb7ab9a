// Colour values and the pixel codecs: one pixel's bytes to a colour value and back.
#pragma once

#include <platform/types.h>

#include <cstdint>
#include <memory>

// 0x00BBGGRR: red in bits 0-7, green 8-15, blue 16-23, bits 24-31 zero.
using ColourValue = std::uint32_t;

constexpr ColourValue MakeColour(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}
constexpr unsigned RedOf(ColourValue c) {
    return c & 0xFF;
}
constexpr unsigned GreenOf(ColourValue c) {
    return (c >> 8) & 0xFF;
}
constexpr unsigned BlueOf(ColourValue c) {
    return (c >> 16) & 0xFF;
}

// Which concrete codec an object is, so that bulk conversion can pick a matching routine.
enum class CodecKind { Rgb332, Rgb222, Rgb565, Rgb24, Rgb32, Other };

int BytesPerPixel(CodecKind kind);  // 0 for Other

class PixelCodec {
  public:
    virtual ~PixelCodec() = default;
    virtual ColourValue ReadPixel(const BYTE* pixel) const = 0;
    virtual void WritePixel(BYTE* pixel, ColourValue colour) const = 0;
    virtual CodecKind Kind() const { return CodecKind::Other; }
};

// Each codec's arithmetic is in its static Read and Write, which the virtual operations and
// the bulk row converters share, so both give the same bits.

// 1 byte: red bits 5-7, green 2-4, blue 0-1; levels expand by x 255 / 7 (or 3), truncated.
class Codec332 final : public PixelCodec {
  public:
    static constexpr int kBytes = 1;
    static ColourValue Read(const BYTE* p) {
        return MakeColour(((p[0] >> 5) & 7) * 255 / 7, ((p[0] >> 2) & 7) * 255 / 7,
                          (p[0] & 3) * 255 / 3);
    }
    static void Write(BYTE* p, ColourValue c) {
        p[0] = static_cast<BYTE>((RedOf(c) & 0xE0) | ((GreenOf(c) >> 3) & 0x1C) | (BlueOf(c) >> 6));
    }
    ColourValue ReadPixel(const BYTE* pixel) const override { return Read(pixel); }
    void WritePixel(BYTE* pixel, ColourValue colour) const override { Write(pixel, colour); }
    CodecKind Kind() const override { return CodecKind::Rgb332; }
};

// 1 byte: red bits 4-5, green 2-3, blue 0-1, each level x 85. Only ever a server format; its
// Write packs the top two bits of each component.
class Codec222 final : public PixelCodec {
  public:
    static constexpr int kBytes = 1;
    static ColourValue Read(const BYTE* p) {
        return MakeColour(((p[0] >> 4) & 3) * 85, ((p[0] >> 2) & 3) * 85, (p[0] & 3) * 85);
    }
    static void Write(BYTE* p, ColourValue c) {
        p[0] = static_cast<BYTE>((RedOf(c) >> 6) << 4 | (GreenOf(c) >> 6) << 2 | BlueOf(c) >> 6);
    }
    ColourValue ReadPixel(const BYTE* pixel) const override { return Read(pixel); }
    void WritePixel(BYTE* pixel, ColourValue colour) const override { Write(pixel, colour); }
    CodecKind Kind() const override { return CodecKind::Rgb222; }
};

// 2 bytes, little-endian: red bits 11-15, green 5-10, blue 0-4; expanded by shifting alone.
class Codec565 final : public PixelCodec {
  public:
    static constexpr int kBytes = 2;
    static ColourValue Read(const BYTE* p) {
        unsigned v = p[0] | p[1] << 8;
        return MakeColour((v >> 11) << 3, ((v >> 5) & 0x3F) << 2, (v & 0x1F) << 3);
    }
    static void Write(BYTE* p, ColourValue c) {
        unsigned v = (RedOf(c) & 0xF8) << 8 | (GreenOf(c) & 0xFC) << 3 | BlueOf(c) >> 3;
        p[0] = static_cast<BYTE>(v);
        p[1] = static_cast<BYTE>(v >> 8);
    }
    ColourValue ReadPixel(const BYTE* pixel) const override { return Read(pixel); }
    void WritePixel(BYTE* pixel, ColourValue colour) const override { Write(pixel, colour); }
    CodecKind Kind() const override { return CodecKind::Rgb565; }
};

// 3 bytes: blue, green, red.
class Codec24 final : public PixelCodec {
  public:
    static constexpr int kBytes = 3;
    static ColourValue Read(const BYTE* p) { return MakeColour(p[2], p[1], p[0]); }
    static void Write(BYTE* p, ColourValue c) {
        p[0] = static_cast<BYTE>(BlueOf(c));
        p[1] = static_cast<BYTE>(GreenOf(c));
        p[2] = static_cast<BYTE>(RedOf(c));
    }
    ColourValue ReadPixel(const BYTE* pixel) const override { return Read(pixel); }
    void WritePixel(BYTE* pixel, ColourValue colour) const override { Write(pixel, colour); }
    CodecKind Kind() const override { return CodecKind::Rgb24; }
};

// 4 bytes: blue, green, red, unused; the unused byte is ignored on reading, 0xFF on writing.
class Codec32 final : public PixelCodec {
  public:
    static constexpr int kBytes = 4;
    static ColourValue Read(const BYTE* p) { return MakeColour(p[2], p[1], p[0]); }
    static void Write(BYTE* p, ColourValue c) {
        p[0] = static_cast<BYTE>(BlueOf(c));
        p[1] = static_cast<BYTE>(GreenOf(c));
        p[2] = static_cast<BYTE>(RedOf(c));
        p[3] = 0xFF;
    }
    ColourValue ReadPixel(const BYTE* pixel) const override { return Read(pixel); }
    void WritePixel(BYTE* pixel, ColourValue colour) const override { Write(pixel, colour); }
    CodecKind Kind() const override { return CodecKind::Rgb32; }
};

// The codec for a server pixel format: 8 bits with 3, 3, 2 or 2, 2, 2; 16 (any masks); 24;
// 32. Null for anything else (the caller keeps its previous codec).
std::unique_ptr<PixelCodec> SelectSourceCodec(int bitsPerPixel, int redBits, int greenBits,
                                              int blueBits);
