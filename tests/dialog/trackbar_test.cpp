// The trackbar driven as a person would: the thumb dragged along the channel, the channel tapped,
// the keys pressed; the parent's reports and the final position are checked. It is set up the
// way the zoom bar sets up its slider: range 37 to 600, one tick at 100, position 100.
#include <platform/dialog.h>
#include <platform/trackbar.h>
#include <platform_testing/device_harness.h>
#include <platform_testing/screen_probe.h>
#include "test_windows.h"


#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

struct Report {
    UINT message;
    WORD code;
    int highWord;
    int position;  // TBM_GETPOS when the report arrived
    bool operator==(const Report&) const = default;
};

std::vector<Report> reports;
HWND reportingTrackbar = nullptr;

LRESULT ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HSCROLL || message == WM_VSCROLL) {
        auto from = reinterpret_cast<HWND>(lParam);
        EXPECT_EQ(from, reportingTrackbar);
        reports.push_back({message, LOWORD(wParam), HIWORD(wParam),
                           static_cast<int>(SendMessageW(from, TBM_GETPOS, 0, 0))});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class TrackbarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterControlClasses();
        bool registered = RegisterTestClass(u"TrackbarParent", ParentProc, WhiteBackground());
        ASSERT_TRUE(registered);
        // Scroll bars too, for the screenshot.
        parent = CreateWindowExW(0, u"TrackbarParent", u"Trackbar and scroll bars",
                                 WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 0, 26, 240, 268, nullptr,
                                 nullptr, nullptr, nullptr);
        trackbar = CreateWindowExW(0, TRACKBAR_CLASS, u"", WS_CHILD | WS_VISIBLE, 10, 10, 200, 30,
                                   parent, nullptr, nullptr, nullptr);
        ASSERT_NE(trackbar, nullptr);
        reportingTrackbar = trackbar;
        Send(TBM_SETRANGE, TRUE, MAKELPARAM(37, 600));
        Send(TBM_CLEARTICS, TRUE, 0);
        Send(TBM_SETTIC, 0, 100);
        Send(TBM_SETPOS, TRUE, 100);
        device.PumpUntilIdle();
        reports.clear();
    }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        return SendMessageW(trackbar, message, wParam, lParam);
    }
    DeviceHarness device;
    HWND parent = nullptr;
    HWND trackbar = nullptr;
};

// The 200-pixel bar at screen (10, 36): the thumb's centre runs from x 17 to 203; position 100
// puts it at x 37, y 47.
constexpr POINT kThumbAt100{37, 47};

TEST_F(TrackbarTest, DraggingTheThumbReportsEachPositionAndEndsWhereItIsLetGo) {
    device.Drag(kThumbAt100, {120, 47});
    ASSERT_GE(reports.size(), 3u);
    for (std::size_t i = 0; i + 2 < reports.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(reports[i].message, WM_HSCROLL);
        EXPECT_EQ(reports[i].code, TB_THUMBTRACK);
        EXPECT_EQ(reports[i].highWord, reports[i].position);  // already the slider's position
        if (i > 0) {
            EXPECT_GT(reports[i].position, reports[i - 1].position);
        }
    }
    int final = static_cast<int>(Send(TBM_GETPOS, 0, 0));
    EXPECT_NEAR(final, 37 + (120 - 17) * 563 / 186, 3);
    EXPECT_EQ(reports[reports.size() - 2], (Report{WM_HSCROLL, TB_THUMBPOSITION, final, final}));
    EXPECT_EQ(reports.back().code, TB_ENDTRACK);

    // Past either end of the channel the thumb stops at the range's ends.
    reports.clear();
    device.Drag({120, 47}, {239, 60});
    EXPECT_EQ(Send(TBM_GETPOS, 0, 0), 600);
    device.Drag({203, 47}, {0, 47});
    EXPECT_EQ(Send(TBM_GETPOS, 0, 0), 37);
}

TEST_F(TrackbarTest, TapsOnTheChannelAndKeysStepThePosition) {
    device.Tap(180, 47);  // right of the thumb: a page (a fifth of the range) on
    device.PressKey(VK_RIGHT);
    device.PressKey(VK_HOME);
    device.PressKey(VK_LEFT);  // already at the minimum: reported, but it stays
    device.PressKey(VK_END);
    std::vector<Report> expected = {
        {WM_HSCROLL, TB_PAGEDOWN, 0, 212}, {WM_HSCROLL, TB_ENDTRACK, 0, 212},
        {WM_HSCROLL, TB_LINEDOWN, 0, 213}, {WM_HSCROLL, TB_ENDTRACK, 0, 213},
        {WM_HSCROLL, TB_TOP, 0, 37},       {WM_HSCROLL, TB_ENDTRACK, 0, 37},
        {WM_HSCROLL, TB_LINEUP, 0, 37},    {WM_HSCROLL, TB_ENDTRACK, 0, 37},
        {WM_HSCROLL, TB_BOTTOM, 0, 600},   {WM_HSCROLL, TB_ENDTRACK, 0, 600},
    };
    EXPECT_EQ(reports, expected);
}

TEST_F(TrackbarTest, RangePositionAndTicksStayConsistent) {
    EXPECT_EQ(Send(TBM_GETNUMTICS, 0, 0), 3);  // the set tick and both ends
    EXPECT_FALSE(Send(TBM_SETTIC, 0, 700));    // outside the range: refused
    Send(TBM_SETPOS, TRUE, 1000);
    EXPECT_EQ(Send(TBM_GETPOS, 0, 0), 600);
    // A narrower range pulls the position in; a range given backwards holds its minimum only.
    Send(TBM_SETRANGE, TRUE, MAKELPARAM(0, 200));
    EXPECT_EQ(Send(TBM_GETPOS, 0, 0), 200);
    Send(TBM_SETRANGE, TRUE, MAKELPARAM(50, 10));
    EXPECT_EQ(Send(TBM_GETRANGEMAX, 0, 0), 50);
    EXPECT_EQ(Send(TBM_GETPOS, 0, 0), 50);
    EXPECT_TRUE(reports.empty());  // setting from the program reports nothing
}

TEST_F(TrackbarTest, ScreenshotOfTrackbarsAndAWindowsScrollBars) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 639, 227, 200, 0};
    SetScrollInfo(parent, SB_HORZ, &info, TRUE);
    info = {sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 479, 255, 40, 0};
    SetScrollInfo(parent, SB_VERT, &info, TRUE);
    HWND down = CreateWindowExW(0, TRACKBAR_CLASS, u"", WS_CHILD | WS_VISIBLE | TBS_VERT, 20, 70,
                                30, 160, parent, nullptr, nullptr, nullptr);
    for (HWND bar : {trackbar, down}) {
        SendMessageW(bar, TBM_SETRANGE, TRUE, MAKELPARAM(37, 600));
        SendMessageW(bar, TBM_SETTIC, 0, 100);
        SendMessageW(bar, TBM_SETPOS, TRUE, 250);
    }
    device.PumpUntilIdle();
    EXPECT_TRUE(device.SaveScreenshot(ScreenshotPath("trackbar_scroll_bars.png")));

    // The vertical bar's up arrow: button face around a black triangle; its track below the
    // thumb; the corner square between the two bars; a trackbar's thumb face.
    EXPECT_EQ(device.ScreenPixel(229, 28), ShownColour(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(device.ScreenPixel(233, 32), ShownColour(RGB(0, 0, 0)));
    EXPECT_EQ(device.ScreenPixel(233, 26 + 200), ShownColour(GetSysColor(COLOR_SCROLLBAR)));
    EXPECT_EQ(device.ScreenPixel(233, 26 + 262), ShownColour(GetSysColor(COLOR_BTNFACE)));
    int thumbX = 10 + 7 + (250 - 37) * 186 / 563;
    EXPECT_EQ(device.ScreenPixel(thumbX, 26 + 10 + 15), ShownColour(GetSysColor(COLOR_BTNFACE)));

    // The vertical one runs downwards and reports with WM_VSCROLL: its thumb's centre goes from
    // y 7 to 153 of the bar (screen y 103 to 249), at x 11.
    reportingTrackbar = down;
    reports.clear();
    device.Drag({20 + 11, 96 + 7 + (250 - 37) * 146 / 563}, {31, 96 + 153});
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().message, WM_VSCROLL);
    EXPECT_EQ(SendMessageW(down, TBM_GETPOS, 0, 0), 600);
}

}  // namespace
