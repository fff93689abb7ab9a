// The scroll bars of an ordinary window: the client area they take, the positions the platform
// keeps in range, and the requests the stylus makes on them, answered the way a viewer scrolls
// (lines of 10, pages of nPage, the thumb's own position).
#include <platform_internal/device_input.h>
#include <platform_internal/window_surface.h>
#include <platform_testing/device_harness.h>

#include <platform/dialog.h>

#include <gtest/gtest.h>

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
std::vector<SIZE> sizes;
int buttonDowns = 0;
int contextMenus = 0;

SCROLLINFO Info(UINT mask, int min = 0, int max = 0, UINT page = 0, int pos = 0) {
    return SCROLLINFO{sizeof(SCROLLINFO), mask, min, max, page, pos, 0};
}

LRESULT ScrollerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HSCROLL:
        case WM_VSCROLL: {
            int bar = message == WM_VSCROLL ? SB_VERT : SB_HORZ;
            SCROLLINFO info = Info(SIF_ALL);
            GetScrollInfo(window, bar, &info);
            int pos = info.nPos;
            switch (LOWORD(wParam)) {
                case SB_LINEUP:
                    pos -= 10;
                    break;
                case SB_LINEDOWN:
                    pos += 10;
                    break;
                case SB_PAGEUP:
                    pos -= static_cast<int>(info.nPage);
                    break;
                case SB_PAGEDOWN:
                    pos += static_cast<int>(info.nPage);
                    break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION:
                    pos = HIWORD(wParam);
                    break;
                default:
                    break;
            }
            info.fMask = SIF_POS;
            info.nPos = pos;
            int kept = SetScrollInfo(window, bar, &info, TRUE);
            requests.push_back({message, LOWORD(wParam), kept});
            return 0;
        }
        case WM_SIZE:
            sizes.push_back({LOWORD(lParam), HIWORD(lParam)});
            return 0;
        case WM_LBUTTONDOWN:
            ++buttonDowns;
            return 0;
        case WM_CONTEXTMENU:
            ++contextMenus;
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT client;
            GetClientRect(window, &client);
            HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
            FillRect(dc, &client, red);
            DeleteObject(red);
            EndPaint(window, &paint);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

class ScrollBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static bool registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = ScrollerProc;
            windowClass.lpszClassName = u"Scroller";
            return RegisterClassW(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        requests.clear();
        sizes.clear();
        buttonDowns = contextMenus = 0;
        // Where a viewer sits: below the task bar, above a menu bar, 240 x 268.
        window = CreateWindowExW(0, u"Scroller", u"Scroller", WS_VISIBLE | WS_HSCROLL | WS_VSCROLL,
                                 0, 26, 240, 268, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        SetBar(SB_HORZ, 0, 639, 227, 0);
        SetBar(SB_VERT, 0, 999, 255, 0);
        device.PumpUntilIdle();
        requests.clear();
        sizes.clear();
    }
    int SetBar(int bar, int min, int max, UINT page, int pos) {
        SCROLLINFO info = Info(SIF_RANGE | SIF_PAGE | SIF_POS, min, max, page, pos);
        return SetScrollInfo(window, bar, &info, TRUE);
    }
    SCROLLINFO Read(int bar) {
        SCROLLINFO info = Info(SIF_ALL);
        EXPECT_TRUE(GetScrollInfo(window, bar, &info));
        return info;
    }
    // Drags with the stylus in eight steps, noting the bar's track position after each.
    void ThumbDrag(POINT from, POINT to, std::vector<int>* trackPositions) {
        DeliverStylus(StylusAction::Down, from);
        device.PumpUntilIdle();
        for (int i = 1; i <= 8; ++i) {
            DeliverStylus(StylusAction::Move,
                          {from.x + (to.x - from.x) * i / 8, from.y + (to.y - from.y) * i / 8});
            device.PumpUntilIdle();
            SCROLLINFO info = Info(SIF_TRACKPOS);
            GetScrollInfo(window, SB_VERT, &info);
            trackPositions->push_back(info.nTrackPos);
        }
        DeliverStylus(StylusAction::Up, to);
        device.PumpUntilIdle();
    }
    RECT Client() {
        RECT client{};
        GetClientRect(window, &client);
        return client;
    }

    DeviceHarness device;
    HWND window = nullptr;
};

// Screen places on the vertical bar (x 227 to 239, y 26 to 280) of the 240 x 268 window at y 26.
constexpr int kBarX = 233;
constexpr POINT kUpArrow{kBarX, 30};
constexpr POINT kDownArrow{kBarX, 276};

TEST_F(ScrollBarTest, ShownBarsTakeTheirThicknessFromTheClientArea) {
    EXPECT_EQ(Client().right, 240 - 13);
    EXPECT_EQ(Client().bottom, 268 - 13);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(origin.x, 0);  // the bars sit at the right and bottom: the origin stays
    EXPECT_EQ(origin.y, 26);

    // A range that fits in the page hides the bar; the window hears of its larger client area.
    SetBar(SB_HORZ, 0, 0, 0, 0);
    EXPECT_EQ(Client().bottom, 268);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().cx, 227);
    EXPECT_EQ(sizes.back().cy, 268);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_HSCROLL, 0);

    SetBar(SB_HORZ, 0, 639, 227, 0);
    EXPECT_EQ(Client().bottom, 255);
    EXPECT_EQ(sizes.back().cy, 255);
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
        {50, 60, 1, 55, 55},                      // inside: kept
        {0, 99, 500, 30, 0},                      // the page is cut to the range: one place left
        {0, INT_MAX, 10, INT_MAX, INT_MAX - 9},   // no overflow at the top of int
        {INT_MIN, INT_MAX, 0, INT_MIN, INT_MIN},  // nor across all of int
        {40, 10, 0, 70, 40},                      // a range ending before its start holds one place
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " page " << c.page);
        EXPECT_EQ(SetBar(SB_VERT, c.min, c.max, c.page, c.pos), c.expected);
        EXPECT_EQ(Read(SB_VERT).nPos, c.expected);
    }

    // A smaller range pulls a kept position back with it.
    SetBar(SB_VERT, 0, 999, 255, 700);
    SCROLLINFO range = Info(SIF_RANGE, 0, 599);
    EXPECT_EQ(SetScrollInfo(window, SB_VERT, &range, FALSE), 599 - 255 + 1);

    // Bad arguments change nothing.
    SCROLLINFO bad = Info(SIF_POS, 0, 0, 0, 10);
    bad.cbSize = 12;
    EXPECT_EQ(SetScrollInfo(window, SB_VERT, &bad, TRUE), 0);
    EXPECT_EQ(SetScrollInfo(window, 7, &range, TRUE), 0);
    EXPECT_EQ(SetScrollInfo(nullptr, SB_VERT, &range, TRUE), 0);
    EXPECT_FALSE(GetScrollInfo(window, SB_VERT, nullptr));
    EXPECT_EQ(Read(SB_VERT).nPos, 345);
}

TEST_F(ScrollBarTest, TapsOnArrowsAndTrackSendLineAndPageSteps) {
    device.Tap(kDownArrow.x, kDownArrow.y);
    device.Tap(kBarX, 200);  // the track below the thumb
    device.Tap(kUpArrow.x, kUpArrow.y);
    std::vector<Request> expected = {
        {WM_VSCROLL, SB_LINEDOWN, 10},  {WM_VSCROLL, SB_ENDSCROLL, 10},
        {WM_VSCROLL, SB_PAGEDOWN, 265}, {WM_VSCROLL, SB_ENDSCROLL, 265},
        {WM_VSCROLL, SB_LINEUP, 255},   {WM_VSCROLL, SB_ENDSCROLL, 255},
    };
    EXPECT_EQ(requests, expected);

    // The horizontal bar's left arrow at the start: the platform keeps the position at 0.
    requests.clear();
    device.Tap(4, 26 + 262);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], (Request{WM_HSCROLL, SB_LINELEFT, 0}));
    EXPECT_EQ(buttonDowns, 0);  // the window's client area saw none of it
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksThenSettlesWhereItIsLetGo) {
    // The thumb of a 255-pixel page in 1000 starts just below the up arrow.
    std::vector<int> trackPositions;
    ThumbDrag({kBarX, 26 + 20}, {kBarX, 26 + 400}, &trackPositions);
    ASSERT_GE(requests.size(), 3u);
    for (std::size_t i = 0; i + 2 < requests.size(); ++i) {
        EXPECT_EQ(requests[i].code, SB_THUMBTRACK);
        if (i > 0) {
            EXPECT_GT(requests[i].position, requests[i - 1].position);
        }
    }
    // While dragging, the bar reports the thumb's place as its track position.
    EXPECT_EQ(trackPositions.back(), requests[requests.size() - 3].position);
    EXPECT_EQ(requests[requests.size() - 2], (Request{WM_VSCROLL, SB_THUMBPOSITION, 745}));
    EXPECT_EQ(requests.back().code, SB_ENDSCROLL);
    EXPECT_EQ(Read(SB_VERT).nPos, 745);
    EXPECT_EQ(Read(SB_VERT).nTrackPos, 745);

    // Dragged back above the bar's start: position 0.
    requests.clear();
    ThumbDrag({kBarX, 26 + 200}, {kBarX, 0}, &trackPositions);
    EXPECT_EQ(requests[requests.size() - 2], (Request{WM_VSCROLL, SB_THUMBPOSITION, 0}));
}

TEST_F(ScrollBarTest, AHeldArrowRepeatsAndAHeldTrackPagesUntilTheThumbReachesTheStylus) {
    DeliverStylus(StylusAction::Down, kDownArrow);
    EXPECT_TRUE(device.RunUntil([] { return requests.size() >= 3; }, 3000));
    DeliverStylus(StylusAction::Up, kDownArrow);
    device.PumpUntilIdle();
    ASSERT_GE(requests.size(), 4u);
    for (std::size_t i = 0; i + 1 < requests.size(); ++i) {
        EXPECT_EQ(requests[i].code, SB_LINEDOWN);
    }
    EXPECT_EQ(requests.back().code, SB_ENDSCROLL);

    // From the top, held at y 150 of the bar: the second page brings the thumb (58 of the 229
    // track pixels) under the stylus, and the paging stops there.
    SetBar(SB_VERT, 0, 999, 255, 0);
    requests.clear();
    DeliverStylus(StylusAction::Down, {kBarX, 26 + 150});
    device.RunUntil([] { return false; }, 900);
    DeliverStylus(StylusAction::Up, {kBarX, 26 + 150});
    device.PumpUntilIdle();
    std::vector<Request> expected = {{WM_VSCROLL, SB_PAGEDOWN, 255},
                                     {WM_VSCROLL, SB_PAGEDOWN, 510},
                                     {WM_VSCROLL, SB_ENDSCROLL, 510}};
    EXPECT_EQ(requests, expected);
}

TEST_F(ScrollBarTest, HoldingABarOpensNoContextMenuAndChildrenEndAtTheBars) {
    device.PressAndHold(kDownArrow.x, kDownArrow.y);
    EXPECT_EQ(contextMenus, 0);
    // A child reaching under the vertical bar is hidden there, and the bar answers the stylus.
    HWND child = CreateWindowExW(0, u"Scroller", u"", WS_CHILD | WS_VISIBLE, 200, 100, 100, 40,
                                 window, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    device.PumpUntilIdle();
    requests.clear();
    device.Tap(kBarX, 26 + 120);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].code, SB_PAGEDOWN);
    EXPECT_EQ(buttonDowns, 0);
    EXPECT_EQ(device.ScreenPixel(210, 26 + 120), RGB(255, 0, 0));  // the child, in the client area
    EXPECT_NE(device.ScreenPixel(kBarX, 26 + 120), RGB(255, 0, 0));  // the bar, drawn over it
}

TEST_F(ScrollBarTest, AComboBoxsScrollBarStyleIsForItsListNotItsField) {
    RegisterControlClasses();
    HWND combo =
        CreateWindowExW(0, WC_COMBOBOX, u"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL,
                        10, 10, 120, 80, window, nullptr, nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
    RECT field{}, client{};
    GetWindowRect(combo, &field);
    GetClientRect(combo, &client);
    EXPECT_EQ(client.right, field.right - field.left);
}

TEST_F(ScrollBarTest, ScrollInfoIsReadSafelyWhileTheUiThreadChangesIt) {
    std::atomic<bool> stop{false};
    std::atomic<int> outOfRange{0};
    std::thread reader([&] {
        while (!stop) {
            SCROLLINFO info = Info(SIF_ALL);
            if (GetScrollInfo(window, SB_VERT, &info) &&
                (info.nPos < info.nMin ||
                 info.nPos > info.nMax - std::max<int>(static_cast<int>(info.nPage), 1) + 1)) {
                ++outOfRange;
            }
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
