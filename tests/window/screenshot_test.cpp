// A screen with text in two fonts, a rotated label, a filled rounded rectangle and a stretched
// bitmap, drawn by a window and checked with pixel probes. The PNG goes to $TAVREL_SCREENSHOTS
// (docs/screenshots keeps a copy) or to the working folder.
#include <platform/resources.h>
#include <platform_testing/device_harness.h>
#include <platform_testing/screen_probe.h>
#include <resources/resources.h>
#include "test_windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

constexpr COLORREF kFill = RGB(0, 160, 96);

HFONT Font(int points, LONG weight, LONG escapement) {
    LOGFONTW logFont{};
    logFont.lfHeight = -MulDiv(points, 96, 72);
    logFont.lfWeight = weight;
    logFont.lfEscapement = escapement;
    return CreateFontIndirectW(&logFont);
}

void PaintDemo(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    HFONT title = Font(12, FW_BOLD, 0);
    HGDIOBJ previous = SelectObject(dc, title);
    RECT line{8, 4, client.right - 8, 28};
    DrawTextW(dc, u"Tavrel device", -1, &line, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
    SelectObject(dc, previous);
    RECT body{8, 30, client.right - 8, 80};
    DrawTextW(dc, u"Only update visible portion of screen, wrapped by words.", -1, &body,
              DT_WORDBREAK);
    HFONT rotated = Font(9, FW_NORMAL, 900);
    SelectObject(dc, rotated);
    SetTextColor(dc, RGB(160, 0, 0));
    ExtTextOutW(dc, 8, 250, 0, nullptr, u"Rotated label", 13, nullptr);
    SelectObject(dc, previous);
    HBRUSH brush = CreateSolidBrush(kFill);
    SelectObject(dc, brush);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    RoundRect(dc, 40, 90, 220, 140, 24, 24);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT label{40, 90, 220, 140};
    DrawTextW(dc, u"Rounded", -1, &label, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    HBITMAP bitmap =
        LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_THUMBNAIL_PLACEHOLDER));
    HDC memory = CreateCompatibleDC(dc);
    SelectObject(memory, bitmap);
    StretchBlt(dc, 40, 150, 180, 100, memory, 0, 0, 128, 96, SRCCOPY);  // 1.4 x 1.04
    DeleteDC(memory);
    DeleteObject(bitmap);
    DeleteObject(brush);
    DeleteObject(rotated);
    DeleteObject(title);
    EndPaint(window, &paint);
}

LRESULT DemoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PaintDemo(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(Screenshot, TextShapesAndBitmapsOnTheDeviceScreen) {
    InstallResources(GetModuleHandleW(nullptr));
    DeviceHarness device;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DemoProc;
    windowClass.lpszClassName = u"Demo";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, u"Demo", u"GDI demo", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    device.PumpUntilIdle();
    // The window starts below the task bar (26 pixels): client (x, y) is screen (x, y + 26).
    EXPECT_EQ(device.ScreenPixel(130, 26 + 100), ShownColour(kFill));  // inside the rounded rectangle
    EXPECT_EQ(device.ScreenPixel(41, 26 + 91), ShownColour(RGB(255, 255, 255)));  // its cut-off corner
    EXPECT_EQ(device.ScreenPixel(41, 26 + 151),
              ShownColour(RGB(0xE0, 0xE0, 0xE0)));  // bitmap background
    EXPECT_EQ(device.ScreenPixel(77, 26 + 200),
              ShownColour(RGB(0x70, 0x70, 0x70)));  // the monitor's frame
    // The rotated label's ink: a narrow column rising from y = 250.
    int inkTop = 400, inkBottom = -1, inkRight = -1;
    for (int y = 26 + 100; y < 26 + 252; ++y) {
        for (int x = 0; x < 40; ++x) {
            COLORREF c = device.ScreenPixel(x, y);
            if (GetRValue(c) > 100 && GetGValue(c) < 100) {
                inkTop = std::min(inkTop, y), inkBottom = std::max(inkBottom, y),
                inkRight = std::max(inkRight, x);
            }
        }
    }
    EXPECT_GT(inkBottom - inkTop, 50);
    EXPECT_EQ(device.ScreenPixel(4, 4), ShownColour(RGB(0, 0, 0x80)));    // the task bar
    EXPECT_NE(device.ScreenPixel(10, 13), ShownColour(RGB(0, 0, 0x80)));  // shows the window's title
    EXPECT_LT(inkRight, 8 + 16);
    std::string path = ScreenshotPath("gdi_demo.png");
    EXPECT_TRUE(device.SaveScreenshot(path));
    EXPECT_TRUE(std::filesystem::file_size(path) > 1000);
}

}  // namespace
