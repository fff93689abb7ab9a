#include <platform/fs.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <platform/text.h>
#include <resources/resources.h>
#include <settings/server_list.h>
#include <settings/thumbnail.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "temp_home.h"

namespace {

std::vector<BYTE> HostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t U32(const std::vector<BYTE>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(BitmapFile, HeadersRowsAndPaddingByteForByte) {
    TempHome home;
    WCHAR module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const int w = 97, h = 2;
    std::vector<BYTE> pixels(w * h * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<BYTE>(i * 7);
    ASSERT_TRUE(WriteBitmapFile(u"\\Program Files\\Tavrel\\t.bmp", w, h, pixels.data()));
    std::vector<BYTE> file = HostFile(home.DeviceFile("Program Files/Tavrel/t.bmp"));
    ASSERT_EQ(file.size(), 54u + 292u * h) << "rows of 291 bytes padded to 292";
    const BYTE header[] = {'B', 'M'};
    EXPECT_EQ(file[0], header[0]);
    EXPECT_EQ(file[1], header[1]);
    EXPECT_EQ(U32(file, 2), file.size());
    EXPECT_EQ(U32(file, 6), 0u);
    EXPECT_EQ(U32(file, 10), 54u);
    EXPECT_EQ(U32(file, 14), 40u);
    EXPECT_EQ(U32(file, 18), 97u);
    EXPECT_EQ(U32(file, 22), 2u) << "positive height: bottom-up";
    EXPECT_EQ(file[26] | file[27] << 8, 1);
    EXPECT_EQ(file[28] | file[29] << 8, 24);
    for (std::size_t at = 30; at < 54; at += 4)
        EXPECT_EQ(U32(file, at), 0u) << at;
    // The last input row comes first, then a zero byte of padding.
    EXPECT_TRUE(std::equal(pixels.begin() + w * 3, pixels.end(), file.begin() + 54));
    EXPECT_EQ(file[54 + 291], 0);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.begin() + w * 3, file.begin() + 54 + 292));

    // The shell's loader reads it back to the same colours.
    HBITMAP bitmap = SHLoadDIBitmap(u"\\Program Files\\Tavrel\\t.bmp");
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, w);
    EXPECT_EQ(info.bmHeight, h);
    const BYTE* bits = static_cast<const BYTE*>(info.bmBits);
    for (int y = 0; y < h; ++y) {
        EXPECT_TRUE(std::equal(bits + y * info.bmWidthBytes, bits + y * info.bmWidthBytes + w * 3,
                               pixels.begin() + y * w * 3))
            << "row " << y;
    }
    DeleteObject(bitmap);
}

TEST(BitmapFile, SizeOfATallThumbnailAndAnUnwritablePath) {
    TempHome home;
    WCHAR module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::vector<BYTE> pixels(96 * 128 * 3, 0x80);
    ASSERT_TRUE(WriteBitmapFile(u"\\Program Files\\Tavrel\\tall.bmp", 96, 128, pixels.data()));
    EXPECT_EQ(HostFile(home.DeviceFile("Program Files/Tavrel/tall.bmp")).size(), 54u + 288u * 128u);
    EXPECT_FALSE(WriteBitmapFile(u"\\No Such Folder\\x.bmp", 1, 1, pixels.data()));
    EXPECT_FALSE(WriteBitmapFile(u"\\Program Files\\Tavrel\\x.bmp", 0, 1, pixels.data()));
}

TEST(Thumbnail, RowsWidenEachDeviceFormatByShiftingOnly) {
    BYTE out[3];
    const BYTE rgb332[] = {0xFF};
    ScaleRowToBgr(rgb332, 1, out, 1, ThumbnailFormat::Rgb332);
    EXPECT_EQ(out[0], 0xC0);
    EXPECT_EQ(out[1], 0xE0);
    EXPECT_EQ(out[2], 0xE0);
    const BYTE rgb565[] = {0x1F, 0xF8};  // red 31, blue 31, green 0, little-endian
    ScaleRowToBgr(rgb565, 1, out, 1, ThumbnailFormat::Rgb565);
    EXPECT_EQ(out[0], 0xF8);
    EXPECT_EQ(out[1], 0x00);
    EXPECT_EQ(out[2], 0xF8);
    const BYTE rgb32[] = {1, 2, 3, 99};
    ScaleRowToBgr(rgb32, 1, out, 1, ThumbnailFormat::Rgb32);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[2], 3);
}

TEST(Thumbnail, NearestNeighbourPicksRowsAndColumnsByIntegerDivision) {
    // 4 x 2 source of 24-bit pixels whose blue byte is 10 * row + column.
    BYTE source[2 * 4 * 3] = {};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c)
            source[(r * 4 + c) * 3] = static_cast<BYTE>(10 * r + c);
    BYTE out[3 * 2 * 3];
    ScaleImageToBgr(source, 4, 2, out, 3, 2, ThumbnailFormat::Rgb24);
    const BYTE expected[] = {0, 1, 2, 10, 11, 12};  // columns 0, 4/3=1, 8/3=2
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(out[i * 3], expected[i]) << i;
    int tw = 0, th = 0;
    ThumbnailSize(640, 480, &tw, &th);
    EXPECT_EQ(tw, 128);
    EXPECT_EQ(th, 96);
    ThumbnailSize(480, 640, &tw, &th);
    EXPECT_EQ(tw, 96);
    EXPECT_EQ(th, 128);
    ThumbnailSize(800, 800, &tw, &th);
    EXPECT_EQ(tw, 128);
    EXPECT_EQ(th, 128);
}

TEST(Thumbnail, LoadUsesTheCacheThenTheFileThenThePlaceholder) {
    TempHome home;
    InstallResources(GetModuleHandleW(nullptr));
    ServerRecord record;
    lstrcpynW(record.Id, u"ABCD1234", 10);
    WCHAR path[kTextCapacity];
    ThumbnailPath(&record, path);
    EXPECT_EQ(std::u16string(path), u"\\Program Files\\Tavrel\\ABCD1234.bmp");

    HBITMAP placeholder = LoadThumbnail(&record);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(record.thumbnail, nullptr) << "the placeholder is not cached in the record";
    BITMAP info{};
    GetObjectW(placeholder, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 128);
    EXPECT_EQ(info.bmHeight, 96);
    EXPECT_EQ(info.bmBitsPixel, 8);
    EXPECT_EQ(LoadThumbnail(&record), placeholder) << "loaded once, shared";

    std::vector<BYTE> pixels(128 * 96 * 3, 0x40);
    SaveThumbnail(&record, 128, 96, pixels.data());
    HBITMAP file = LoadThumbnail(&record);
    EXPECT_NE(file, placeholder);
    EXPECT_EQ(record.thumbnail, file);
    EXPECT_EQ(LoadThumbnail(&record), file) << "cached";
    SaveThumbnail(&record, 128, 96, pixels.data());
    EXPECT_EQ(record.thumbnail, nullptr) << "a new file drops the cache";

    std::ofstream(home.DeviceFile("Program Files/Tavrel/ABCD1234.bmp")) << "BM not really";
    EXPECT_EQ(LoadThumbnail(&record), placeholder) << "a damaged file shows the placeholder";
}

}  // namespace
