#include <display/fraction.h>
#include <display/pixel_codec.h>
#include <display/row_converter.h>
#include <display/screen_metrics.h>

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>
#include <vector>

namespace {

ColourValue Read(const PixelCodec& codec, std::vector<BYTE> bytes) {
    return codec.ReadPixel(bytes.data());
}

std::vector<BYTE> Write(const PixelCodec& codec, ColourValue colour, std::size_t size) {
    std::vector<BYTE> bytes(size, 0x5A);
    codec.WritePixel(bytes.data(), colour);
    return bytes;
}

TEST(PixelCodec, ExpandsAndPacksComponentsByTheTableArithmetic) {
    Codec332 c332;
    EXPECT_EQ(Read(c332, {0xFF}), 0x00FFFFFFu);
    EXPECT_EQ(Read(c332, {0x24}), MakeColour(36, 36, 0));
    EXPECT_EQ(Write(c332, MakeColour(109, 218, 170), 1), std::vector<BYTE>{0x60 | 0x18 | 2});
    // The eight 3-bit levels truncate: 0 36 72 109 145 182 218 255.
    std::vector<unsigned> levels;
    for (unsigned r = 0; r < 8; ++r) {
        levels.push_back(RedOf(Read(c332, {static_cast<BYTE>(r << 5)})));
    }
    EXPECT_EQ(levels, (std::vector<unsigned>{0, 36, 72, 109, 145, 182, 218, 255}));

    Codec222 c222;
    EXPECT_EQ(Read(c222, {0x39}), MakeColour(255, 170, 85));
    EXPECT_EQ(Read(c222, {0xC0}), 0u);  // bits 6-7 are not part of the pixel

    Codec565 c565;
    EXPECT_EQ(Read(c565, {0x1F, 0x00}), MakeColour(0, 0, 248));
    EXPECT_EQ(Read(c565, {0xE0, 0x07}), MakeColour(0, 252, 0));  // no bit replication
    EXPECT_EQ(Write(c565, 0x00FFFFFF, 2), (std::vector<BYTE>{0xFF, 0xFF}));
    EXPECT_EQ(Write(c565, MakeColour(0x07, 0x03, 0x07), 2), (std::vector<BYTE>{0, 0}));

    Codec24 c24;
    EXPECT_EQ(Read(c24, {1, 2, 3}), MakeColour(3, 2, 1));
    EXPECT_EQ(Write(c24, MakeColour(3, 2, 1), 4), (std::vector<BYTE>{1, 2, 3, 0x5A}));

    Codec32 c32;
    EXPECT_EQ(Read(c32, {1, 2, 3, 0x77}), MakeColour(3, 2, 1));
    EXPECT_EQ(Write(c32, 0, 4), (std::vector<BYTE>{0, 0, 0, 0xFF}));
}

TEST(PixelCodec, SourceCodecFollowsBitsPerPixelAndThe8BitLayouts) {
    struct Case {
        int bpp, r, g, b;
        CodecKind kind;
    };
    for (Case c : {Case{8, 3, 3, 2, CodecKind::Rgb332}, Case{8, 2, 2, 2, CodecKind::Rgb222},
                   Case{16, 5, 6, 5, CodecKind::Rgb565}, Case{16, 5, 5, 5, CodecKind::Rgb565},
                   Case{24, 8, 8, 8, CodecKind::Rgb24}, Case{32, 0, 0, 0, CodecKind::Rgb32}}) {
        auto codec = SelectSourceCodec(c.bpp, c.r, c.g, c.b);
        ASSERT_NE(codec, nullptr) << c.bpp;
        EXPECT_EQ(codec->Kind(), c.kind);
    }
    EXPECT_EQ(SelectSourceCodec(8, 4, 2, 2), nullptr);
    EXPECT_EQ(SelectSourceCodec(12, 4, 4, 4), nullptr);
    EXPECT_EQ(SelectSourceCodec(0, 0, 0, 0), nullptr);
}

// Every source codec x device codec: the row converter gives the bytes of the per-pixel path,
// for every 8- and 16-bit pixel value, random wider pixels, and spaced device pixels.
TEST(RowConverter, EveryPairMatchesReadPixelThenWritePixel) {
    std::vector<std::unique_ptr<PixelCodec>> sources;
    for (auto f :
         {std::make_tuple(8, 3, 3, 2), std::make_tuple(8, 2, 2, 2), std::make_tuple(16, 5, 6, 5),
          std::make_tuple(24, 8, 8, 8), std::make_tuple(32, 8, 8, 8)}) {
        sources.push_back(
            SelectSourceCodec(std::get<0>(f), std::get<1>(f), std::get<2>(f), std::get<3>(f)));
    }
    std::vector<std::unique_ptr<PixelCodec>> devices;
    devices.push_back(std::make_unique<Codec332>());
    devices.push_back(std::make_unique<Codec565>());
    devices.push_back(std::make_unique<Codec24>());
    devices.push_back(std::make_unique<Codec32>());
    std::mt19937 random(99);
    for (auto& source : sources) {
        int inBytes = BytesPerPixel(source->Kind());
        int count = 65536;
        std::vector<BYTE> in(static_cast<std::size_t>(count) * inBytes);
        for (std::size_t i = 0; i < in.size(); ++i) {
            // 8- and 16-bit sources see every value; wider ones random bytes.
            in[i] = inBytes <= 2 ? static_cast<BYTE>(inBytes == 1 ? i : (i % 2 ? i >> 9 : i >> 1))
                                 : static_cast<BYTE>(random());
        }
        for (auto& device : devices) {
            int outBytes = BytesPerPixel(device->Kind());
            RowConverter convert = FindRowConverter(*source, *device);
            ASSERT_NE(convert, nullptr);
            for (int step : {outBytes, outBytes + 3}) {
                std::vector<BYTE> fast(static_cast<std::size_t>(count) * step, 0x11);
                std::vector<BYTE> slow = fast;
                convert(in.data(), fast.data(), count, step);
                for (int i = 0; i < count; ++i) {
                    device->WritePixel(
                        &slow[static_cast<std::size_t>(i) * step],
                        source->ReadPixel(&in[static_cast<std::size_t>(i) * inBytes]));
                }
                ASSERT_EQ(fast, slow) << static_cast<int>(source->Kind()) << " -> "
                                      << static_cast<int>(device->Kind()) << " step " << step;
            }
        }
    }
}

TEST(Fraction, ConversionsTruncateAndSurviveZeroAndOverflow) {
    EXPECT_EQ(ToInt(Fraction::Make(250, 100)), 2);
    EXPECT_EQ(ToInt(Fraction::Make(-250, 100)), -2);
    EXPECT_EQ(ToInt(Fraction::Make(7, 0)), 0);
    EXPECT_EQ(ToInt(Fraction::Make(INT_MIN, -1)), INT_MIN);  // wraps instead of trapping
    EXPECT_EQ(ToFloat(Fraction::Make(1, 0)), 0.0f);
    EXPECT_FLOAT_EQ(ToFloat(Fraction::Make(3, 4)), 0.75f);
    Fraction f;
    EXPECT_EQ(f.num, 1);
    EXPECT_EQ(f.den, 1);
    Fraction p = Multiply(Fraction::Make(2, 3), Fraction::Make(5, 7));
    EXPECT_EQ(p.num, 10);
    EXPECT_EQ(p.den, 21);  // never reduced
    Fraction q = Divide(Fraction::Make(2, 4), Fraction::Make(2, 4));
    EXPECT_EQ(q.num, 8);
    EXPECT_EQ(q.den, 8);
    Fraction wrapped = Multiply(Fraction::Make(65536, 1), Fraction::Make(65536, 1));
    EXPECT_EQ(wrapped.num, 0);
    EXPECT_TRUE(Less(Fraction::Make(1, 3), Fraction::Make(1, 2)));
    EXPECT_FALSE(Less(Fraction::Make(2, 4), Fraction::Make(1, 2)));
}

TEST(MulDivRound, RoundsHalfAwayFromZeroWithTheSignOfA) {
    EXPECT_EQ(MulDivRound(-7, 3, 2), -11);
    EXPECT_EQ(MulDivRound(7, 3, 2), 11);
    EXPECT_EQ(MulDivRound(26, 192, 96), 52);
    EXPECT_EQ(MulDivRound(26, 131, 96), 35);  // 35.48
    EXPECT_EQ(MulDivRound(5, 0, 96), 0);
    EXPECT_EQ(MulDivRound(5, 96, 0), 0);
    EXPECT_EQ(MulDivRound(INT_MIN, 1, 1), INT_MIN);
}

}  // namespace
