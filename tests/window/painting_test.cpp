// Painting and the compositor: invalid regions, children clipped into their top-level's surface,
// the screen composed in z-order with the task bar and the menu bars. Checked with pixel probes.
#include <platform_testing/device_harness.h>
#include <platform_testing/screen_probe.h>
#include "test_windows.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A colour as the 5:6:5 screen shows it.
// Windows of this class paint their client area in the colour kept in their user data.
std::map<HWND, int> paints;

LRESULT ColourProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        ++paints[window];
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
    return DefWindowProcW(window, message, wParam, lParam);
}

class PaintingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bool registered = RegisterTestClass(u"Colour", ColourProc);
        ASSERT_TRUE(registered);
        paints.clear();
    }
    HWND Make(COLORREF colour, DWORD style, RECT r, HWND parent = nullptr) {
        HWND window =
            CreateWindowExW(0, u"Colour", u"", style & ~WS_VISIBLE, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, parent, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(window, GWL_USERDATA, static_cast<LONG_PTR>(colour));
        if ((style & WS_VISIBLE) != 0) {
            ShowWindow(window, SW_SHOW);
        }
        return window;
    }
    DeviceHarness device;
    static constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
                              kBlue = RGB(0, 0, 255);
};

TEST_F(PaintingTest, TopLevelsComposeInZOrderBelowTheTaskBar) {
    HWND red = Make(kRed, WS_VISIBLE, {0, 0, 150, 150});
    HWND green = Make(kGreen, WS_VISIBLE, {100, 100, 240, 240});
    device.PumpUntilIdle();
    EXPECT_EQ(device.ScreenPixel(50, 50), kRed);
    EXPECT_EQ(device.ScreenPixel(120, 120), kGreen);  // green was shown last: on top
    EXPECT_EQ(device.ScreenPixel(10, 10),
              ShownColour(RGB(0, 0, 0x80)));  // the task bar covers the top
    SetForegroundWindow(red);
    device.PumpUntilIdle();
    EXPECT_EQ(device.ScreenPixel(120, 120), kRed);
    ShowWindow(red, SW_HIDE);
    device.PumpUntilIdle();
    EXPECT_EQ(device.ScreenPixel(120, 120), kGreen);
    EXPECT_NE(green, nullptr);
}

TEST_F(PaintingTest, ChildrenAreClippedToThemselvesAndTheirParent) {
    HWND top = Make(kRed, WS_VISIBLE, {0, 40, 200, 200});
    // A child that sticks out of its parent on the right, and a grandchild outside the child.
    HWND child = Make(kGreen, WS_CHILD | WS_VISIBLE, {150, 10, 260, 60}, top);
    Make(kBlue, WS_CHILD | WS_VISIBLE, {-20, 0, 10, 10}, child);
    device.PumpUntilIdle();
    EXPECT_EQ(device.ScreenPixel(160, 60), kGreen);  // child inside the parent
    EXPECT_EQ(device.ScreenPixel(210, 60),
              ShownColour(RGB(0x1F, 0x3F, 0x6F)));     // beyond the parent: desktop
    EXPECT_EQ(device.ScreenPixel(152, 52), kBlue);  // grandchild inside the child
    EXPECT_EQ(device.ScreenPixel(140, 52), kRed);   // grandchild clipped by the child
    RECT rect = device.ScreenRectOf(child);
    EXPECT_EQ(rect.left, 150);
    EXPECT_EQ(rect.top, 50);
}

TEST_F(PaintingTest, InvalidatingAPartRepaintsOnlyWhatWasAsked) {
    HWND top = Make(kRed, WS_VISIBLE, {0, 26, 240, 294});
    HWND child = Make(kGreen, WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, top);
    device.PumpUntilIdle();
    paints.clear();
    RECT far{100, 100, 120, 120};
    InvalidateRect(top, &far, TRUE);
    device.PumpUntilIdle();
    EXPECT_EQ(paints[top], 1);
    EXPECT_EQ(paints[child], 0);  // not under the invalid part
    InvalidateRect(top, nullptr, FALSE);
    UpdateWindow(top);
    EXPECT_EQ(paints[top], 2);
    EXPECT_EQ(paints[child], 1);  // the parent painted over it
    RECT update;
    EXPECT_FALSE(GetUpdateRect(top, &update, FALSE));
}

TEST_F(PaintingTest, InvalidateFromAnotherThreadWakesThePainter) {
    HWND top = Make(kRed, WS_VISIBLE, {0, 26, 100, 100});
    device.PumpUntilIdle();
    paints.clear();
    std::thread([&] { InvalidateRect(top, nullptr, FALSE); }).join();
    EXPECT_TRUE(device.RunUntil([&] { return paints[top] == 1; }, 1000));
}

TEST_F(PaintingTest, OwnedPopupsOfAHiddenWindowAreNotShown) {
    HWND owner = Make(kRed, WS_VISIBLE, {0, 26, 240, 294});
    HWND popup = Make(kBlue, WS_POPUP | WS_VISIBLE, {0, 294, 240, 320}, owner);
    device.PumpUntilIdle();
    EXPECT_EQ(device.ScreenPixel(100, 300), kBlue);
    ShowWindow(owner, SW_HIDE);
    device.PumpUntilIdle();
    EXPECT_NE(device.ScreenPixel(100, 300), kBlue);
    EXPECT_EQ(WindowFromPoint({100, 300}), nullptr);
    EXPECT_TRUE(IsWindow(popup));
}

// A window made at the default size and then placed small, as a tool bar is once it knows its
// size, keeps no backing memory for the size it left, and still shows what it paints.
TEST_F(PaintingTest, AWindowMadeSmallGivesBackTheSurfaceItNoLongerUses) {
    HWND bar = CreateWindowExW(0, u"Colour", u"", 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(bar, GWL_USERDATA, static_cast<LONG_PTR>(kGreen));
    EXPECT_GE(device.SurfaceBytes(bar), 240u * 200u * 2u);
    SetWindowPos(bar, nullptr, 0, 212, 10, 34, SWP_NOZORDER | SWP_SHOWWINDOW);
    EXPECT_LE(device.SurfaceBytes(bar), 10u * 34u * 4u);
    device.PumpUntilIdle();
    EXPECT_EQ(device.ScreenPixel(0, 212), kGreen);
    EXPECT_EQ(device.ScreenPixel(9, 245), kGreen);
    EXPECT_NE(device.ScreenPixel(10, 245), kGreen);
}

}  // namespace
