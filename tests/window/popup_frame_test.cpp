// Pop-up windows as tool bars use them: a one-pixel frame from WS_BORDER around the client area,
// and a place in the z-order directly above the owner they are positioned after.
#include <platform/window.h>
#include <platform_testing/device_harness.h>
#include "test_windows.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
                   kBlue = RGB(0, 0, 255);

POINT lastDown{-1, -1};

// Paints its client area in the colour kept in its user data; keeps where the stylus went down.
LRESULT FrameTestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush =
            CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(window, GWL_USERDATA)));
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_LBUTTONDOWN) {
        lastDown = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class PopupFrameTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(RegisterTestClass(u"FrameTest", FrameTestProc)); }
    HWND Make(COLORREF colour, DWORD style, RECT r, HWND parentOrOwner = nullptr,
              DWORD exStyle = 0) {
        HWND window =
            CreateWindowExW(exStyle, u"FrameTest", u"", style, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, parentOrOwner, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(window, GWL_USERDATA, static_cast<LONG_PTR>(colour));
        ShowWindow(window, SW_SHOWNA);
        InvalidateRect(window, nullptr, TRUE);
        return window;
    }
    static RECT Client(HWND window) {
        RECT r{};
        GetClientRect(window, &r);
        return r;
    }
    DeviceHarness device;
};

TEST_F(PopupFrameTest, ABorderAddedToAPopupFramesItsClientArea) {
    HWND popup = Make(kRed, WS_POPUP, {20, 60, 120, 110});
    device.PumpUntilIdle();
    EXPECT_EQ(Client(popup).right, 100);
    EXPECT_EQ(device.ScreenPixel(20, 60), kRed);
    SetWindowLongW(popup, GWL_STYLE, GetWindowLongW(popup, GWL_STYLE) | WS_BORDER);
    device.PumpUntilIdle();
    RECT client = Client(popup), outer{};
    EXPECT_EQ(client.right, 98);
    EXPECT_EQ(client.bottom, 48);
    GetWindowRect(popup, &outer);
    EXPECT_EQ(outer.left, 20);
    EXPECT_EQ(outer.top, 60);
    EXPECT_EQ(outer.right, 120);
    EXPECT_EQ(outer.bottom, 110);
    POINT origin{0, 0};
    ClientToScreen(popup, &origin);
    EXPECT_EQ(origin.x, 21);
    EXPECT_EQ(origin.y, 61);
    for (POINT edge : {POINT{20, 60}, POINT{119, 109}, POINT{70, 60}, POINT{20, 85}}) {
        EXPECT_EQ(device.ScreenPixel(edge.x, edge.y), kBlack) << edge.x << "," << edge.y;
    }
    EXPECT_EQ(device.ScreenPixel(21, 61), kRed);
    EXPECT_EQ(device.ScreenPixel(118, 108), kRed);
    device.Tap(21, 61);
    EXPECT_EQ(lastDown.x, 0);
    EXPECT_EQ(lastDown.y, 0);
    // A child inside gets its place from the client area's corner.
    HWND child = Make(kBlue, WS_CHILD | WS_VISIBLE, {0, 0, 10, 10}, popup);
    device.PumpUntilIdle();
    RECT childOnScreen{};
    GetWindowRect(child, &childOnScreen);
    EXPECT_EQ(childOnScreen.left, 21);
    EXPECT_EQ(device.ScreenPixel(21, 61), kBlue);
    // Taken away again, the frame goes.
    SetWindowLongW(popup, GWL_STYLE, GetWindowLongW(popup, GWL_STYLE) & ~WS_BORDER);
    device.PumpUntilIdle();
    EXPECT_EQ(Client(popup).right, 100);
    EXPECT_EQ(device.ScreenPixel(119, 109), kRed);
}

// A caption (dialogs) and a control's own border leave the client area as it was.
TEST_F(PopupFrameTest, OnlyABorderAloneOnATopLevelMakesAFrame) {
    HWND dialogLike = Make(kRed, WS_POPUP | WS_CAPTION, {0, 30, 100, 80});
    HWND parent = Make(kGreen, WS_POPUP, {0, 100, 100, 150});
    HWND control = Make(kBlue, WS_CHILD | WS_VISIBLE | WS_BORDER, {10, 10, 60, 40}, parent);
    device.PumpUntilIdle();
    EXPECT_EQ(Client(dialogLike).right, 100);
    EXPECT_EQ(Client(control).right, 50);
    EXPECT_EQ(device.ScreenPixel(0, 30), kRed);
    EXPECT_EQ(device.ScreenPixel(10, 110), kBlue);
}

TEST_F(PopupFrameTest, APopupPlacedAfterItsOwnerLiesDirectlyAboveIt) {
    HWND owner = Make(kGreen, WS_POPUP, {0, 26, 240, 320});
    SetForegroundWindow(owner);
    HWND other = Make(kBlue, WS_POPUP, {100, 100, 200, 200});
    HWND popup = Make(kRed, WS_POPUP, {0, 0, 10, 10}, owner, WS_EX_NOACTIVATE);
    SetWindowPos(popup, owner, 80, 120, 60, 60, 0);
    device.PumpUntilIdle();
    EXPECT_EQ(device.ScreenPixel(90, 130), kRed);    // the pop-up over its owner
    EXPECT_EQ(device.ScreenPixel(110, 130), kBlue);  // and under the window above the owner
    // A window without owner placed after another goes below it.
    SetWindowPos(other, owner, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    device.PumpUntilIdle();
    EXPECT_EQ(device.ScreenPixel(110, 130), kRed);
    EXPECT_EQ(device.ScreenPixel(190, 190), kGreen);
    EXPECT_EQ(GetForegroundWindow(), owner);
}

}  // namespace
