// The scroll bars of an ordinary window: the client area they take, the positions the platform
// keeps in range, and the requests the stylus makes on them, answered the way a viewer scrolls
// (lines of 10, pages of nPage, the thumb's own position).
#include <platform_testing/device_harness.h>
#include "test_windows.h"

#include <platform/dialog.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <thread>
#include <vector>

namespace {

struct Request {
    UINT message;
    WORD code;
    int position;  // the bar's position after the window answered
    bool operator==(const Request&) const = default;
};

std::vector<Request> requests;
std::vector<LPARAM> sizes;
int stylusSeen = 0;  // stylus messages that reached the window's client area

SCROLLINFO Info(UINT mask, int min = 0, int max = 0, UINT page = 0, int pos = 0) {
    return SCROLLINFO{sizeof(SCROLLINFO), mask, min, max, page, pos, 0};
}

LRESULT ScrollerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HSCROLL || message == WM_VSCROLL) {
        int bar = message == WM_VSCROLL ? SB_VERT : SB_HORZ;
        SCROLLINFO info = Info(SIF_ALL);
        GetScrollInfo(window, bar, &info);
        WORD code = LOWORD(wParam);
        int page = static_cast<int>(info.nPage);
        if (code == SB_THUMBTRACK) {
            EXPECT_EQ(info.nTrackPos, HIWORD(wParam));  // the bar knows where the thumb is
        }
        info.nPos = code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? HIWORD(wParam)
                    : code <= SB_PAGEDOWN ? info.nPos + std::array{-10, 10, -page, page}[code]
                                          : info.nPos;
        info.fMask = SIF_POS;
        requests.push_back({message, code, SetScrollInfo(window, bar, &info, TRUE)});
        return 0;
    }
    if (message == WM_SIZE) {
        sizes.push_back(lParam);
    }
    stylusSeen += message == WM_LBUTTONDOWN || message == WM_CONTEXTMENU;
    return DefWindowProcW(window, message, wParam, lParam);
}

class ScrollBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bool registered = RegisterTestClass(u"Scroller", ScrollerProc);
        ASSERT_TRUE(registered);
        // Where a viewer sits: below the task bar, above a menu bar, 240 x 268.
        window = CreateWindowExW(0, u"Scroller", u"Scroller", WS_VISIBLE | WS_HSCROLL | WS_VSCROLL,
                                 0, 26, 240, 268, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        SetBar(SB_HORZ, 0, 639, 227, 0);
        SetBar(SB_VERT, 0, 999, 255, 0);
        device.PumpUntilIdle();
        requests.clear();
        stylusSeen = 0;
    }
    int SetBar(int bar, int min, int max, UINT page, int pos) {
        SCROLLINFO info = Info(SIF_RANGE | SIF_PAGE | SIF_POS, min, max, page, pos);
        return SetScrollInfo(window, bar, &info, TRUE);
    }
    int Position() {
        SCROLLINFO info = Info(SIF_POS);
        EXPECT_TRUE(GetScrollInfo(window, SB_VERT, &info));
        return info.nPos;
    }
    // Pumps until a thread timer of the test's own, set now for twice the bar's repeat period, has
    // fired. The bar's repeat timer was set before it and falls due sooner, so it has had its turn
    // by then, and whatever step it posted has reached the window.
    void PassARepeat() {
        static bool fired;
        fired = false;
        UINT_PTR timer =
            SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) { fired = true; });
        EXPECT_TRUE(device.RunUntil([] { return fired; }, 10000));
        KillTimer(nullptr, timer);
    }
    static std::size_t Steps(WORD code) {
        return static_cast<std::size_t>(std::count_if(
            requests.begin(), requests.end(), [&](const Request& r) { return r.code == code; }));
    }

    DeviceHarness device;
    HWND window = nullptr;
};

// Screen places on the vertical bar (x 227 to 239, y 26 to 280) of the 240 x 268 window at y 26.
constexpr int kBarX = 233;
constexpr POINT kUpArrow{kBarX, 30};
constexpr POINT kDownArrow{kBarX, 276};

TEST_F(ScrollBarTest, ShownBarsTakeTheirThicknessFromTheClientArea) {
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 240 - 13);
    EXPECT_EQ(client.bottom, 268 - 13);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.y, 26);  // the bars sit at the right and bottom: the origin stays

    // A range that fits in the page hides the bar; the window hears of its larger client area.
    SetBar(SB_HORZ, 0, 0, 0, 0);
    EXPECT_EQ(sizes.back(), MAKELPARAM(227, 268));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_HSCROLL, 0);
    SetBar(SB_HORZ, 0, 639, 227, 0);
    EXPECT_EQ(sizes.back(), MAKELPARAM(227, 255));

    // A child reaching under the vertical bar ends at it: the bar takes the stylus there.
    CreateWindowExW(0, u"Scroller", u"", WS_CHILD | WS_VISIBLE, 200, 100, 100, 40, window, nullptr,
                    nullptr, nullptr);
    EXPECT_EQ(WindowFromPoint({kBarX, 26 + 120}), window);
    // A combo box's WS_VSCROLL is for its drop-down list: its field keeps its whole width.
    RegisterControlClasses();
    HWND combo = CreateWindowExW(0, WC_COMBOBOX, u"", WS_CHILD | CBS_DROPDOWNLIST | WS_VSCROLL, 10,
                                 10, 120, 80, window, nullptr, nullptr, nullptr);
    GetClientRect(combo, &client);
    EXPECT_EQ(client.right, 120);
}

TEST_F(ScrollBarTest, PositionsAreKeptWithinTheRangeLessThePage) {
    struct Case {
        int min, max;
        UINT page;
        int pos, expected;
    } const cases[] = {
        {0, 999, 255, 900, 745},                  // the last page ends on nMax
        {0, 999, 255, -40, 0},                    // not before nMin
        {0, 99, 0, 120, 99},                      // no page: up to nMax itself
        {0, 99, 500, 30, 0},                      // the page is cut to the range: one place left
        {0, INT_MAX, 10, INT_MAX, INT_MAX - 9},   // no overflow at the top of int
        {INT_MIN, INT_MAX, 0, INT_MIN, INT_MIN},  // nor across all of int
        {40, 10, 0, 70, 40},                      // a range ending before its start holds one place
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " page " << c.page);
        EXPECT_EQ(SetBar(SB_VERT, c.min, c.max, c.page, c.pos), c.expected);
        EXPECT_EQ(Position(), c.expected);
    }
    // A smaller range pulls a kept position back with it; bad arguments change nothing.
    SetBar(SB_VERT, 0, 999, 255, 700);
    SCROLLINFO range = Info(SIF_RANGE, 0, 599);
    EXPECT_EQ(SetScrollInfo(window, SB_VERT, &range, FALSE), 599 - 255 + 1);
    SCROLLINFO bad = Info(SIF_POS, 0, 0, 0, 10);
    bad.cbSize = 12;
    EXPECT_EQ(SetScrollInfo(window, SB_VERT, &bad, TRUE), 0);
    EXPECT_EQ(SetScrollInfo(window, 7, &range, TRUE), 0);
    EXPECT_FALSE(GetScrollInfo(window, SB_VERT, nullptr));
    EXPECT_EQ(Position(), 345);
}

TEST_F(ScrollBarTest, TapsOnArrowsAndTrackSendLineAndPageSteps) {
    device.Tap(kDownArrow.x, kDownArrow.y);
    device.Tap(kBarX, 200);                       // the track below the thumb
    device.PressAndHold(kUpArrow.x, kUpArrow.y);  // a hold on a bar is no context menu
    device.Tap(4, 26 + 262);                      // the horizontal bar's left arrow, already at 0
    std::vector<Request> expected = {
        {WM_VSCROLL, SB_LINEDOWN, 10},  {WM_VSCROLL, SB_ENDSCROLL, 10},
        {WM_VSCROLL, SB_PAGEDOWN, 265}, {WM_VSCROLL, SB_ENDSCROLL, 265},
        {WM_VSCROLL, SB_LINEUP, 255},   {WM_VSCROLL, SB_ENDSCROLL, 255},
        {WM_HSCROLL, SB_LINELEFT, 0},   {WM_HSCROLL, SB_ENDSCROLL, 0},
    };
    EXPECT_EQ(requests, expected);
    EXPECT_EQ(stylusSeen, 0);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThenSettlesWhereItIsLetGo) {
    // The thumb of a 255-pixel page in 1000 starts just below the up arrow; dragged far below.
    device.Drag({kBarX, 26 + 20}, {kBarX, 26 + 400});
    ASSERT_GE(requests.size(), 3u);
    for (std::size_t i = 0; i + 2 < requests.size(); ++i) {
        EXPECT_EQ(requests[i].code, SB_THUMBTRACK);
        EXPECT_TRUE(i == 0 || requests[i].position > requests[i - 1].position);
    }
    EXPECT_EQ(requests[requests.size() - 2], (Request{WM_VSCROLL, SB_THUMBPOSITION, 745}));
    EXPECT_EQ(requests.back().code, SB_ENDSCROLL);
    EXPECT_EQ(Position(), 745);
    device.Drag({kBarX, 26 + 200}, {kBarX, 0});  // back above the bar's start
    EXPECT_EQ(Position(), 0);
}

TEST_F(ScrollBarTest, AHeldArrowRepeatsAndAHeldTrackPagesUntilTheThumbReachesTheStylus) {
    // A step at once, after 400 ms, then every 100 ms; held until three have come.
    device.StylusDown(kDownArrow.x, kDownArrow.y);
    EXPECT_TRUE(device.RunUntil([] { return Steps(SB_LINEDOWN) >= 3; }, 10000));
    device.StylusUp(kDownArrow.x, kDownArrow.y);
    device.PumpUntilIdle();
    ASSERT_GE(requests.size(), 4u);
    EXPECT_EQ(Steps(SB_LINEDOWN), requests.size() - 1);
    EXPECT_EQ(requests.back().code, SB_ENDSCROLL);

    // Held at y 150 of the bar from the top: the second page brings the thumb (58 of the 229
    // track pixels) under the stylus, and the paging stops there.
    SetBar(SB_VERT, 0, 999, 255, 0);
    requests.clear();
    device.StylusDown(kBarX, 26 + 150);
    EXPECT_TRUE(device.RunUntil([] { return Steps(SB_PAGEDOWN) >= 2; }, 10000));
    PassARepeat();
    device.StylusUp(kBarX, 26 + 150);
    device.PumpUntilIdle();
    std::vector<Request> expected = {{WM_VSCROLL, SB_PAGEDOWN, 255},
                                     {WM_VSCROLL, SB_PAGEDOWN, 510},
                                     {WM_VSCROLL, SB_ENDSCROLL, 510}};
    EXPECT_EQ(requests, expected);
}

TEST_F(ScrollBarTest, ScrollInfoIsReadSafelyWhileTheUiThreadChangesIt) {
    std::atomic<bool> stop{false};
    std::atomic<int> outOfRange{0};
    std::thread reader([&] {
        while (!stop) {
            SCROLLINFO info = Info(SIF_ALL);
            GetScrollInfo(window, SB_VERT, &info);
            outOfRange +=
                info.nPos < info.nMin || info.nPos > info.nMax - std::max<int>(info.nPage, 1) + 1;
        }
    });
    for (int i = 0; i < 2000; ++i) {
        SetBar(SB_VERT, 0, 200 + i % 800, 100 + i % 50, i);
    }
    stop = true;
    reader.join();
    EXPECT_EQ(outOfRange, 0);
}

}  // namespace
