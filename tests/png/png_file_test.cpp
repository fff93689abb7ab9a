// The PNG writer: what it writes reads back pixel for pixel through libpng, in either byte order
// and with padded rows, across many bands of rows and many IDAT chunks; a write that fails leaves
// no partial file and keeps the earlier one.
#include <png/png_file.h>
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

class PngFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavrel-png-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string File(const std::string& name) const { return folder_ + "/" + name; }

    std::string folder_;
};

// Rows that repeat with a twist (so "up" filtering meets both equal and different bytes), with
// noise in a band, and stride - width * 3 bytes of padding that must not reach the file.
std::vector<std::uint8_t> TestPixels(int width, int height, std::size_t stride, unsigned seed) {
    std::vector<std::uint8_t> pixels(stride * height, 0xEE);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * 3; ++x) {
            bool noisy = y % 7 == 3 || x % 97 == 5;
            pixels[y * stride + x] =
                noisy ? static_cast<std::uint8_t>(random())
                      : static_cast<std::uint8_t>(x / 3 * 5 + (y / 4) * 3 + x % 3);
        }
    }
    return pixels;
}

// The red-first copy that the file should hold.
std::vector<std::uint8_t> ExpectedRgb(const PngImage& image) {
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.pixels + y * image.stride;
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = row + x * 3;
            bool bgr = image.order == PngByteOrder::Bgr;
            rgb.insert(rgb.end(), {p[bgr ? 2 : 0], p[1], p[bgr ? 0 : 2]});
        }
    }
    return rgb;
}

TEST_F(PngFileTest, ReadsBackPixelForPixel) {
    struct Case {
        int width, height, padding;
        PngByteOrder order;
    };
    // One pixel; a width of odd bytes; rows wider than a band of filtered rows (64 KiB); a
    // picture whose compressed stream needs several IDAT chunks (the noise alone is over 256 KiB).
    const Case cases[] = {
        {1, 1, 0, PngByteOrder::Rgb},     {1, 1, 0, PngByteOrder::Bgr},
        {7, 5, 1, PngByteOrder::Rgb},     {7, 5, 3, PngByteOrder::Bgr},
        {23000, 3, 0, PngByteOrder::Rgb}, {1920, 1080, 0, PngByteOrder::Bgr},
        {641, 480, 5, PngByteOrder::Rgb},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " padding " << c.padding
                                        << (c.order == PngByteOrder::Bgr ? " bgr" : " rgb"));
        std::size_t stride = static_cast<std::size_t>(c.width) * 3 + c.padding;
        std::vector<std::uint8_t> pixels = TestPixels(c.width, c.height, stride, c.width);
        PngImage image{pixels.data(), c.width, c.height, stride, c.order};
        ASSERT_TRUE(WritePngFile(File("a.png"), image));
        int width = 0, height = 0;
        std::vector<std::uint8_t> rgb;
        ASSERT_TRUE(ReadPngFile(File("a.png"), width, height, rgb));
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        EXPECT_TRUE(rgb == ExpectedRgb(image)) << "pixels differ";
    }
    // The noisy 1920 x 1080 picture needed more than one IDAT chunk.
    std::string file = ReadFile(File("a.png"));
    EXPECT_NE(file.find("IDAT"), file.rfind("IDAT"));
}

TEST_F(PngFileTest, AFailedWriteLeavesNoPartialFileAndKeepsTheEarlierOne) {
    std::vector<std::uint8_t> first(4 * 2 * 3, 10), second(4 * 2 * 3, 200);
    ASSERT_TRUE(WritePngFile(File("shot.png"), 4, 2, first));
    std::string earlier = ReadFile(File("shot.png"));
    const PngImage malformed[] = {
        {nullptr, 4, 2, 12, PngByteOrder::Rgb},
        {second.data(), 0, 2, 12, PngByteOrder::Rgb},
        {second.data(), 4, -1, 12, PngByteOrder::Rgb},
        {second.data(), 4, 2, 11, PngByteOrder::Rgb},  // a stride shorter than a row
        {second.data(), 0x7FFFFFFF, 1, ~std::size_t{0}, PngByteOrder::Rgb},
    };
    for (const PngImage& image : malformed) {
        EXPECT_FALSE(WritePngFile(File("shot.png"), image));
    }
    EXPECT_FALSE(WritePngFile(File("shot.png"), 4, 2, std::vector<std::uint8_t>(23)));
    EXPECT_FALSE(WritePngFile(File("shot.png"), -4, -2, second));
    EXPECT_FALSE(WritePngFile(File("missing/shot.png"), 4, 2, second));
    EXPECT_EQ(ReadFile(File("shot.png")), earlier);
    EXPECT_FALSE(std::filesystem::exists(File("shot.png.part")));
    EXPECT_FALSE(std::filesystem::exists(File("missing")));

    // A good write replaces it.
    ASSERT_TRUE(WritePngFile(File("shot.png"), 4, 2, second));
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    ASSERT_TRUE(ReadPngFile(File("shot.png"), width, height, rgb));
    EXPECT_EQ(rgb, second);
    EXPECT_FALSE(std::filesystem::exists(File("shot.png.part")));
}

TEST_F(PngFileTest, ReadingSomethingElseFails) {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    EXPECT_FALSE(ReadPngFile(File("absent.png"), width, height, rgb));
    std::vector<std::uint8_t> pixels(30 * 30 * 3, 77);
    ASSERT_TRUE(WritePngFile(File("cut.png"), 30, 30, pixels));
    std::string whole = ReadFile(File("cut.png"));
    std::filesystem::resize_file(File("cut.png"), whole.size() / 2);
    EXPECT_FALSE(ReadPngFile(File("cut.png"), width, height, rgb));
}

}  // namespace
