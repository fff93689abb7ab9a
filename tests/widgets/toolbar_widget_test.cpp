// The tool bar base on the test device: its place over the owner's client area for each docking,
// the handle and content rectangles, taps on the handle, activation, rotation and painting.
#include <widgets/toolbar_widget.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

#include "owner_window.h"

namespace {

const ToolbarWidget::HandleBitmaps kZoomHandles{IDB_ZOOM_HANDLE_HORZ_32, IDB_ZOOM_HANDLE_HORZ,
                                                IDB_ZOOM_HANDLE_VERT_32, IDB_ZOOM_HANDLE_VERT};

class PlainBar : public ToolbarWidget {
  public:
    explicit PlainBar(HWND owner) : ToolbarWidget(owner, kZoomHandles) {}
};

using ToolbarWidgetTest = WidgetTest;

// Layouts over the 240 x 268 client area with 32-pixel icons and a 1-pixel border: the bar in the
// owner's client coordinates, handle and content (empty: none) in the bar's. Rows are 35 pixels
// apart and bars 34 high; the creation's content length is cut at the far edge less a border.
struct LayoutCase {
    const char* what;
    bool vertical;
    int flags, row;
    bool expanded;
    int contentLength;  // 0: the creation value
    bool narrow;
    RECT bar, handle, content;
    int availableLength;
};

// clang-format off
const LayoutCase kLayouts[] = {
    // what, vertical, docking flags, row, expanded, content length, narrow handle;
    // bar, handle, content, available length
    {"viewer's docking", false, 1, 1, false, 0, true,
     {0, 199, 10, 233}, {0, 0, 8, 32}, {}, 231},
    {"viewer's, expanded", false, 1, 1, true, 0, true,
     {0, 199, 239, 233}, {0, 0, 8, 32}, {10, 0, 237, 32}, 231},
    {"wide handle", false, 1, 1, false, 0, false,
     {0, 199, 18, 233}, {0, 0, 16, 32}, {}, 223},
    {"wide handle, expanded", false, 1, 1, true, 0, false,
     {0, 199, 239, 233}, {0, 0, 16, 32}, {18, 0, 237, 32}, 223},
    {"top left, row 0", false, 0, 0, false, 0, true,
     {0, 1, 10, 35}, {0, 0, 8, 32}, {}, 231},
    {"right, top row 2", false, 2, 2, true, 100, true,
     {128, 71, 240, 105}, {102, 0, 110, 32}, {0, 0, 100, 32}, 231},
    {"right, bottom row 0", false, 3, 0, true, 0, true,
     {1, 234, 240, 268}, {229, 0, 237, 32}, {0, 0, 227, 32}, 231},
    {"vertical, left, top", true, 0, 0, false, 0, true,
     {1, 0, 35, 10}, {0, 0, 32, 8}, {}, 259},
    {"vertical, left, bottom", true, 1, 1, true, 50, true,
     {36, 206, 70, 268}, {0, 52, 32, 60}, {0, 0, 32, 50}, 259},
    {"vertical, right, top", true, 2, 0, true, 0, true,
     {206, 0, 240, 267}, {0, 0, 32, 8}, {0, 10, 32, 265}, 259},
};
// clang-format on

TEST_F(ToolbarWidgetTest, LaysItselfOutForEachDocking) {
    for (const LayoutCase& c : kLayouts) {
        SCOPED_TRACE(c.what);
        PlainBar bar(owner->Handle());
        bar.SetVertical(c.vertical);
        bar.SetDocking(c.flags);
        bar.SetRow(c.row);
        if (c.contentLength != 0) {
            bar.SetContentLength(c.contentLength);
        }
        bar.SetNarrowHandle(c.narrow);
        bar.SetExpanded(c.expanded);
        EXPECT_EQ(InOwner(bar.Handle()), c.bar);
        RECT handle{}, content{};
        EXPECT_TRUE(bar.GetHandleRect(&handle));
        EXPECT_EQ(handle, c.handle);
        EXPECT_EQ(bar.GetContentRect(&content), !IsRectEmpty(&c.content));
        EXPECT_EQ(content, c.content);
        EXPECT_EQ(bar.GetAvailableLength(), c.availableLength);
        EXPECT_EQ(bar.GetContentThickness(), 32);  // an icon less the borders, plus 2
    }
}

TEST_F(ToolbarWidgetTest, APenDownAnywhereOnACollapsedBarExpandsItAndOnTheHandleCollapsesIt) {
    auto bar = MakeBar<PlainBar>();
    TapInClient(bar->Handle(), 7, 31);  // the far corner: the handle is the whole collapsed bar
    EXPECT_TRUE(bar->IsExpanded());
    EXPECT_EQ(InOwner(bar->Handle()), (RECT{0, 199, 239, 233}));
    TapInClient(bar->Handle(), 120, 16);  // the content: the base does nothing with it
    EXPECT_TRUE(bar->IsExpanded());
    TapInClient(bar->Handle(), 4, 16);
    EXPECT_FALSE(bar->IsExpanded());
    EXPECT_EQ(InOwner(bar->Handle()), (RECT{0, 199, 10, 233}));
}

TEST_F(ToolbarWidgetTest, TheOwnerStaysActiveWhenTheBarIsMadeShownOrTapped) {
    auto bar = MakeBar<PlainBar>();
    bar->Show(false);
    device.PumpUntilIdle();
    EXPECT_FALSE(IsWindowVisible(bar->Handle()));
    bar->Show(true);
    device.PumpUntilIdle();
    EXPECT_TRUE(IsWindowVisible(bar->Handle()));
    TapInClient(bar->Handle(), 4, 16);
    TapInClient(bar->Handle(), 4, 16);
    EXPECT_EQ(GetForegroundWindow(), owner->Handle());
    EXPECT_EQ(GetFocus(), owner->Handle());
    EXPECT_EQ(owner->deactivations, 0);
}

// The shell fits top-level windows to the new work area after a rotation; a bar keeps the place
// that its owner's new client area gives it, whichever of the two hears of the rotation last.
TEST_F(ToolbarWidgetTest, ARotationLeavesTheBarInItsRowOfTheTurnedOwner) {
    auto bar = MakeBar<PlainBar>();
    bar->SetExpanded(true);
    device.Rotate();
    EXPECT_EQ(ClientOf(owner->Handle()), (RECT{0, 0, 320, 188}));
    EXPECT_EQ(InOwner(bar->Handle()), (RECT{0, 119, 319, 153}));
    owner->bars.clear();  // now only the bar's own handling of the setting change
    device.Rotate();
    EXPECT_EQ(ClientOf(owner->Handle()), (RECT{0, 0, 240, 268}));
    EXPECT_EQ(InOwner(bar->Handle()), (RECT{0, 199, 239, 233}));
}

bool Near(COLORREF a, COLORREF b) {  // the 5:6:5 screen keeps 5 or 6 bits of each component
    return std::abs(GetRValue(a) - GetRValue(b)) <= 8 &&
           std::abs(GetGValue(a) - GetGValue(b)) <= 8 && std::abs(GetBValue(a) - GetBValue(b)) <= 8;
}

TEST_F(ToolbarWidgetTest, PaintsABorderTheGripAndWhenExpandedASeparator) {
    auto bar = MakeBar<PlainBar>();
    device.PumpUntilIdle();
    RECT frame = device.ScreenRectOf(bar->Handle());
    POINT client{0, 0};
    ClientToScreen(bar->Handle(), &client);
    EXPECT_EQ(client.x, frame.left + 1);
    EXPECT_EQ(client.y, frame.top + 1);
    EXPECT_EQ(device.ScreenPixel(frame.left, frame.top), RGB(0, 0, 0));
    EXPECT_EQ(device.ScreenPixel(frame.right - 1, frame.bottom - 1), RGB(0, 0, 0));
    // The 8 x 32 grip: a face, a lit dot at (3, 3) with its shadow at (4, 4).
    EXPECT_TRUE(Near(device.ScreenPixel(client.x, client.y), RGB(192, 192, 192)));
    EXPECT_TRUE(Near(device.ScreenPixel(client.x + 3, client.y + 3), RGB(255, 255, 255)));
    EXPECT_TRUE(Near(device.ScreenPixel(client.x + 4, client.y + 4), RGB(96, 96, 96)));
    bar->SetExpanded(true);
    device.PumpUntilIdle();
    for (int y : {0, 16, 31}) {
        EXPECT_EQ(device.ScreenPixel(client.x + 8, client.y + y), RGB(0, 0, 0)) << y;
        EXPECT_EQ(device.ScreenPixel(client.x + 9, client.y + y), RGB(255, 255, 255)) << y;
    }
}

}  // namespace
