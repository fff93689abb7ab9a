#include <platform/fs.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <platform/gdi.h>

#include <gtest/gtest.h>

#include <fstream>

#include "temp_home.h"

namespace {

struct DibBuilder {
    std::vector<BYTE> bytes;
    void U16(unsigned v) {
        bytes.push_back(static_cast<BYTE>(v));
        bytes.push_back(static_cast<BYTE>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Header(int w, int h, int bpp, int compression = 0, int colours = 0) {
        U32(40);
        U32(static_cast<std::uint32_t>(w));
        U32(static_cast<std::uint32_t>(h));
        U16(1);
        U16(static_cast<unsigned>(bpp));
        U32(static_cast<std::uint32_t>(compression));
        for (int i = 0; i < 3; ++i)
            U32(0);
        U32(static_cast<std::uint32_t>(colours));
        U32(0);
    }
};

// The builder's bytes as a bitmap resource, loaded as the program loads its bitmaps.
HBITMAP Load(const DibBuilder& dib) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    AddResource(module, RT_BITMAP, 9001, dib.bytes);
    return LoadBitmapW(module, MAKEINTRESOURCEW(9001));
}

int BitsPerPixel(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    return info.bmBitsPixel;
}

COLORREF Pixel(HBITMAP bitmap, int x, int y) {
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ before = SelectObject(memory, bitmap);
    COLORREF colour = GetPixel(memory, x, y);
    SelectObject(memory, before);
    DeleteDC(memory);
    return colour;
}

TEST(Dib, EightBitBottomUpWithAShortPalette) {
    DibBuilder dib;
    dib.Header(3, 2, 8, 0, 2);
    dib.U32(0x00112233);  // index 0
    dib.U32(0x00AABBCC);  // index 1
    // Bottom row first, each padded to 4 bytes.
    for (BYTE b : {0, 1, 0, 0})
        dib.bytes.push_back(b);
    for (BYTE b : {1, 1, 0, 0})
        dib.bytes.push_back(b);
    HBITMAP bitmap = Load(dib);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(BitsPerPixel(bitmap), 8);
    EXPECT_EQ(Pixel(bitmap, 0, 0), RGB(0xAA, 0xBB, 0xCC)) << "top row comes last in the file";
    EXPECT_EQ(Pixel(bitmap, 2, 0), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(Pixel(bitmap, 1, 1), RGB(0xAA, 0xBB, 0xCC));
    DeleteObject(bitmap);
}

TEST(Dib, SixteenBitFieldsWidenToTwentyFourBits) {
    DibBuilder dib;
    dib.Header(2, -1, 16, 3);  // top-down, 5:6:5
    dib.U32(0xF800);
    dib.U32(0x07E0);
    dib.U32(0x001F);
    dib.U16(0xF800);
    dib.U16(0x07FF);
    HBITMAP bitmap = Load(dib);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(BitsPerPixel(bitmap), 24);
    EXPECT_EQ(Pixel(bitmap, 0, 0), RGB(0xFF, 0, 0));
    EXPECT_EQ(Pixel(bitmap, 1, 0), RGB(0, 0xFF, 0xFF));
    DeleteObject(bitmap);
}

TEST(Dib, MalformedHeadersAndShortDataAreRefused) {
    auto parse = [](DibBuilder& dib) {
        HBITMAP bitmap = Load(dib);
        DeleteObject(bitmap);
        return bitmap != nullptr;
    };
    DibBuilder tooShort;
    tooShort.Header(4, 4, 24);  // no rows
    EXPECT_FALSE(parse(tooShort));
    DibBuilder huge;
    huge.Header(32767, 32767, 24);
    EXPECT_FALSE(parse(huge));
    DibBuilder zeroWidth;
    zeroWidth.Header(0, 1, 24);
    zeroWidth.U32(0);
    EXPECT_FALSE(parse(zeroWidth));
    DibBuilder minHeight;
    minHeight.Header(1, INT32_MIN, 24);
    EXPECT_FALSE(parse(minHeight));
    DibBuilder badDepth;
    badDepth.Header(1, 1, 7);
    badDepth.U32(0);
    EXPECT_FALSE(parse(badDepth));
    DibBuilder tooManyColours;
    tooManyColours.Header(1, 1, 1, 0, 3);
    for (int i = 0; i < 4; ++i)
        tooManyColours.U32(0);
    EXPECT_FALSE(parse(tooManyColours));
    DibBuilder compressed;
    compressed.Header(1, 1, 8, 1);
    for (int i = 0; i < 257; ++i)
        compressed.U32(0);
    EXPECT_FALSE(parse(compressed));
    DibBuilder empty;
    EXPECT_FALSE(parse(empty));
}

TEST(Dib, BitmapFilesLoadThroughTheShellAndBadOnesGiveNull) {
    TempHome home;
    WCHAR module[MAX_PATH];
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    DibBuilder dib;
    dib.Header(1, 1, 24);
    for (BYTE b : {0x10, 0x20, 0x30, 0x00})
        dib.bytes.push_back(b);
    std::vector<BYTE> file = {'B', 'M'};
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file.push_back(static_cast<BYTE>(v >> (8 * i)));
    };
    put32(static_cast<std::uint32_t>(14 + dib.bytes.size()));
    put32(0);
    put32(54);
    file.insert(file.end(), dib.bytes.begin(), dib.bytes.end());
    std::string host = home.DeviceFile("Program Files/Tavrel/ok.bmp");
    std::ofstream(host, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), file.size());
    HBITMAP bitmap = SHLoadDIBitmap(u"\\Program Files\\Tavrel\\ok.bmp");
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    EXPECT_EQ(GetObjectW(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 1);
    EXPECT_EQ(info.bmBitsPixel, 24);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ before = SelectObject(memory, bitmap);
    EXPECT_EQ(GetPixel(memory, 0, 0), RGB(0x30, 0x20, 0x10));  // the file's blue, green, red
    SelectObject(memory, before);
    DeleteDC(memory);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));

    file[10] = 200;  // pixel offset past the end
    std::ofstream(host, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), file.size());
    EXPECT_EQ(SHLoadDIBitmap(u"\\Program Files\\Tavrel\\ok.bmp"), nullptr);
    EXPECT_EQ(SHLoadDIBitmap(u"\\Program Files\\Tavrel\\missing.bmp"), nullptr);
}

}  // namespace
