// GDI on memory bitmaps: text measurement and layout, rotated text, shapes, blits, MulDiv.
#include <platform/gdi.h>
#include <platform/resources.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// A memory DC on a white bitmap of the given size.
class Canvas {
  public:
    Canvas(int width, int height)
        : dc_(CreateCompatibleDC(nullptr)), bitmap_(CreateCompatibleBitmap(dc_, width, height)) {
        SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas() {
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    HDC dc() const { return dc_; }
    // The ink's bounding box (pixels that are not white).
    RECT Ink(int width, int height) const {
        RECT box{width, height, -1, -1};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (GetPixel(dc_, x, y) != RGB(255, 255, 255)) {
                    box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                           std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
                }
            }
        }
        return box;
    }

  private:
    HDC dc_;
    HBITMAP bitmap_;
};

HFONT Font(int points, LONG weight = FW_NORMAL, LONG escapement = 0) {
    LOGFONTW logFont{};
    logFont.lfHeight = -MulDiv(points, 96, 72);
    logFont.lfWeight = weight;
    logFont.lfEscapement = escapement;
    return CreateFontIndirectW(&logFont);
}

TEST(GdiText, EightPointLiberationSansMeasuresAsTheDialogsExpect) {
    Canvas canvas(10, 10);  // a new DC has the 8-point system font
    std::u16string text = u"Only update visible portion of screen";
    SIZE size;
    ASSERT_TRUE(
        GetTextExtentPoint32W(canvas.dc(), text.c_str(), static_cast<int>(text.size()), &size));
    EXPECT_EQ(size.cx, 172);
    // The average letter width gives the 6-pixel horizontal dialog base unit at 96 dpi.
    TEXTMETRICW metrics;
    ASSERT_TRUE(GetTextMetricsW(canvas.dc(), &metrics));
    EXPECT_EQ(metrics.tmAveCharWidth, 6);
    EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, metrics.tmHeight);
    // A font asked for by pixel height: 11 pixels to the em is a little wider.
    HFONT font = Font(8);
    SelectObject(canvas.dc(), font);
    SIZE eleven;
    GetTextExtentPoint32W(canvas.dc(), text.c_str(), static_cast<int>(text.size()), &eleven);
    EXPECT_GT(eleven.cx, size.cx);
    DeleteObject(font);
}

TEST(GdiText, ExtentsGrowAndFitsCountsWhatFits) {
    Canvas canvas(10, 10);
    std::u16string text = u"Tavrel";
    int extents[6];
    int fits = 0;
    SIZE size;
    ASSERT_TRUE(GetTextExtentExPointW(canvas.dc(), text.c_str(), 6, 20, &fits, extents, &size));
    for (int i = 1; i < 6; ++i) {
        EXPECT_GT(extents[i], extents[i - 1]);
    }
    EXPECT_EQ(extents[5], size.cx);
    EXPECT_LE(extents[fits - 1], 20);
    EXPECT_GT(extents[fits], 20);
}

TEST(GdiText, DrawTextPlacesTheLineByItsFlags) {
    Canvas canvas(200, 40);
    RECT box{0, 0, 200, 40};
    SetBkMode(canvas.dc(), TRANSPARENT);
    DrawTextW(canvas.dc(), u"Menu", -1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    RECT ink = canvas.Ink(200, 40);
    EXPECT_NEAR((ink.left + ink.right) / 2, 100, 3);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, 20, 4);
    Canvas right(200, 40);
    SetBkMode(right.dc(), TRANSPARENT);
    DrawTextW(right.dc(), u"Menu", -1, &box, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
    RECT inkRight = right.Ink(200, 40);
    EXPECT_GE(inkRight.right, 196);
    EXPECT_GE(inkRight.bottom, 34);
}

TEST(GdiText, CalcRectWrapsWordsAndEllipsisShortens) {
    Canvas canvas(10, 10);
    RECT wide{0, 0, 1000, 0};
    int oneLine = DrawTextW(canvas.dc(), u"one two three", -1, &wide, DT_CALCRECT | DT_WORDBREAK);
    RECT narrow{0, 0, 30, 0};
    int wrapped = DrawTextW(canvas.dc(), u"one two three", -1, &narrow, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(wrapped, 3 * oneLine);
    EXPECT_LE(narrow.right, 30);
    RECT prefixed{0, 0, 1000, 0};
    DrawTextW(canvas.dc(), u"&About", -1, &prefixed, DT_CALCRECT | DT_SINGLELINE);
    RECT plain{0, 0, 1000, 0};
    DrawTextW(canvas.dc(), u"About", -1, &plain, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(prefixed.right, plain.right);
    Canvas cut(60, 20);
    RECT box{0, 0, 60, 20};
    SetBkMode(cut.dc(), TRANSPARENT);
    DrawTextW(cut.dc(), u"A rather long server title", -1, &box, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(cut.Ink(60, 20).right, 60);
}

TEST(GdiText, EscapementNineHundredTurnsTextAQuarterTurnUpwards) {
    Canvas canvas(60, 120);
    HFONT font = Font(10, FW_NORMAL, 900);
    SelectObject(canvas.dc(), font);
    SetBkMode(canvas.dc(), TRANSPARENT);
    ExtTextOutW(canvas.dc(), 10, 110, 0, nullptr, u"Rotated", 7, nullptr);
    RECT ink = canvas.Ink(60, 120);
    EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left));  // taller than wide
    EXPECT_LE(ink.bottom, 111);                                   // rises from the reference point
    EXPECT_GE(ink.left, 10);                                      // the cell's top lies to the left
    DeleteObject(font);
}

TEST(GdiText, OpaqueBackgroundFillsTheCell) {
    Canvas canvas(100, 30);
    SetBkColor(canvas.dc(), RGB(0, 0, 255));
    SetTextColor(canvas.dc(), RGB(255, 255, 0));
    ExtTextOutW(canvas.dc(), 0, 0, 0, nullptr, u"ii", 2, nullptr);
    EXPECT_EQ(GetPixel(canvas.dc(), 0, 1), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(canvas.dc(), 90, 1), RGB(255, 255, 255));
    // The colours read back as set, so a painter can restore what it found.
    EXPECT_EQ(GetBkColor(canvas.dc()), RGB(0, 0, 255));
    EXPECT_EQ(GetTextColor(canvas.dc()), RGB(255, 255, 0));
}

TEST(GdiShapes, RoundRectLeavesTheCornersAndFillsTheInside) {
    Canvas canvas(50, 50);
    HBRUSH brush = CreateSolidBrush(RGB(0, 128, 0));
    SelectObject(canvas.dc(), brush);
    SelectObject(canvas.dc(), GetStockObject(BLACK_PEN));
    RoundRect(canvas.dc(), 5, 5, 45, 45, 20, 20);
    EXPECT_EQ(GetPixel(canvas.dc(), 5, 5), RGB(255, 255, 255));  // outside the rounded corner
    EXPECT_EQ(GetPixel(canvas.dc(), 25, 25), RGB(0, 128, 0));
    EXPECT_EQ(GetPixel(canvas.dc(), 25, 5), RGB(0, 0, 0));         // the outline
    EXPECT_EQ(GetPixel(canvas.dc(), 45, 25), RGB(255, 255, 255));  // right edge is exclusive
    DeleteObject(brush);
}

TEST(GdiShapes, LinesLeaveOutTheirLastPixelAndStockObjectsSurviveDeletion) {
    Canvas canvas(20, 20);
    MoveToEx(canvas.dc(), 2, 2, nullptr);
    LineTo(canvas.dc(), 12, 2);
    EXPECT_EQ(GetPixel(canvas.dc(), 2, 2), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(canvas.dc(), 11, 2), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(canvas.dc(), 12, 2), RGB(255, 255, 255));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));
    EXPECT_NE(SelectObject(canvas.dc(), GetStockObject(BLACK_PEN)), nullptr);  // still alive
    LineTo(canvas.dc(), 12, 12);
    EXPECT_EQ(GetPixel(canvas.dc(), 12, 5), RGB(0, 0, 0));
}

// A 2 x 2 palettised bitmap: 4 or 8 bits per pixel, four colours.
HBITMAP Palettised(int bits) {
    std::vector<BYTE> dib(40, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            dib[at + i] = static_cast<BYTE>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, 2);
    put32(8, static_cast<std::uint32_t>(-2));  // top-down
    dib[12] = 1;
    dib[14] = static_cast<BYTE>(bits);
    put32(32, 4);
    for (std::uint32_t colour :
         {0x0000FFu, 0x00FF00u, 0xFF0000u, 0xFFFFFFu}) {  // blue green red white
        dib.push_back(static_cast<BYTE>(colour)), dib.push_back(static_cast<BYTE>(colour >> 8));
        dib.push_back(static_cast<BYTE>(colour >> 16)), dib.push_back(0);
    }
    std::vector<BYTE> rows = bits == 8 ? std::vector<BYTE>{0, 1, 0, 0, 2, 3, 0, 0}
                                       : std::vector<BYTE>{0x01, 0, 0, 0, 0x23, 0, 0, 0};
    dib.insert(dib.end(), rows.begin(), rows.end());
    AddResource(GetModuleHandleW(nullptr), RT_BITMAP, 9000 + bits, dib);
    return LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(9000 + bits));
}

class GdiBlit : public ::testing::TestWithParam<int> {};

TEST_P(GdiBlit, PalettisedAndTrueColourBitmapsStretchPixelForPixel) {
    HBITMAP source = nullptr;
    if (GetParam() == 24) {  // the same picture drawn into a 24-bit bitmap
        Canvas draw(1, 1);
        source = CreateCompatibleBitmap(draw.dc(), 2, 2);
        HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, source);
        SetPixel(dc, 0, 0, RGB(0, 0, 255));
        SetPixel(dc, 1, 0, RGB(0, 255, 0));
        SetPixel(dc, 0, 1, RGB(255, 0, 0));
        SetPixel(dc, 1, 1, RGB(255, 255, 255));
        DeleteDC(dc);
    } else {
        source = Palettised(GetParam());
    }
    ASSERT_NE(source, nullptr);
    HDC sourceDc = CreateCompatibleDC(nullptr);
    SelectObject(sourceDc, source);
    Canvas target(20, 20);
    ASSERT_TRUE(BitBlt(target.dc(), 0, 0, 2, 2, sourceDc, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(target.dc(), 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(target.dc(), 1, 0), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(target.dc(), 0, 1), RGB(255, 0, 0));
    ASSERT_TRUE(StretchBlt(target.dc(), 4, 4, 8, 8, sourceDc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(GetPixel(target.dc(), 4, 4), RGB(0, 0, 255));  // each source pixel is a 4 x 4 block
    EXPECT_EQ(GetPixel(target.dc(), 7, 7), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(target.dc(), 8, 4), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(target.dc(), 4, 8), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(target.dc(), 11, 11), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(target.dc(), 12, 12), RGB(255, 255, 255));  // untouched
    EXPECT_FALSE(StretchBlt(target.dc(), 0, 0, 4, 4, sourceDc, 0, 0, 0, 2, SRCCOPY));
    DeleteDC(sourceDc);
    DeleteObject(source);
}

INSTANTIATE_TEST_SUITE_P(Depths, GdiBlit, ::testing::Values(4, 8, 24));

TEST(GdiMath, MulDivRoundsToNearestAndRejectsZero) {
    EXPECT_EQ(MulDiv(8, 96, 72), 11);   // 10.67
    EXPECT_EQ(MulDiv(8, 120, 72), 13);  // 13.33
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);    // halves away from zero
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(0x40000000, 4, 1), -1);  // does not fit
}

TEST(GdiMath, BadHandlesFailQuietly) {
    RECT r{0, 0, 1, 1};
    EXPECT_FALSE(FillRect(nullptr, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))));
    EXPECT_FALSE(BitBlt(nullptr, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY));
    EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
    EXPECT_EQ(DrawTextW(nullptr, u"x", 1, &r, 0), 0);
    EXPECT_EQ(CreateCompatibleBitmap(nullptr, 0, 5), nullptr);
    EXPECT_EQ(GetTextColor(nullptr), CLR_INVALID);
}

}  // namespace
