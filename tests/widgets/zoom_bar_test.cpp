// The zoom bar on the test device: its trackbar hidden while collapsed and over the content when
// expanded (also after a rotation), drags reported to the listener while the owner stays active,
// the range's minimum kept at 1, the vertical style, its handle bitmaps and screenshots.
#include <widgets/zoom_bar.h>

#include <platform/trackbar.h>

#include <gtest/gtest.h>

#include <vector>

#include "owner_window.h"
#include "test_windows.h"

namespace {

struct Scroll {
    ZoomBar* bar;
    WORD code;
    int position;  // the bar's GetPosition when it was reported
};

class RecordingListener : public ZoomBarListener {
  public:
    void OnZoomBarScroll(ZoomBar* bar, WPARAM code) override {
        scrolls.push_back({bar, LOWORD(code), bar->GetPosition()});
    }
    std::vector<Scroll> scrolls;
};

class ZoomBarTest : public WidgetTest {
  protected:
    // The content rectangle on the screen, where the trackbar should be.
    static RECT ContentOnScreen(const ZoomBar& bar) {
        RECT content{};
        bar.GetContentRect(&content);
        POINT origin{0, 0};
        ClientToScreen(bar.Handle(), &origin);
        OffsetRect(&content, origin.x, origin.y);
        return content;
    }
    void TapHandle(const ZoomBar& bar) { TapInClient(bar.Handle(), 4, 4); }
};

TEST_F(ZoomBarTest, TheTrackbarIsHiddenWhileCollapsedAndCoversTheContentWhenExpanded) {
    auto bar = MakeBar<ZoomBar>();
    ASSERT_NE(bar->Trackbar(), nullptr);
    bar->SetRange(37, 600, 100);
    bar->SetPosition(100);
    EXPECT_FALSE(IsWindowVisible(bar->Trackbar()));
    TapHandle(*bar);
    ASSERT_TRUE(bar->IsExpanded());
    EXPECT_TRUE(IsWindowVisible(bar->Trackbar()));
    // Bar at screen (0, 225) to (239, 259), its client area inside the border, the content right
    // of the 8-pixel handle and the 2-pixel gap.
    EXPECT_EQ(device.ScreenRectOf(bar->Trackbar()), (RECT{11, 226, 238, 258}));
    device.SaveScreenshot(ScreenshotPath("zoom_bar_portrait_expanded.png"));
    device.Rotate();
    EXPECT_EQ(InOwner(bar->Handle()), (RECT{0, 119, 319, 153}));
    EXPECT_EQ(device.ScreenRectOf(bar->Trackbar()), ContentOnScreen(*bar));
    EXPECT_EQ(device.ScreenRectOf(bar->Trackbar()), (RECT{11, 146, 318, 178}));
    device.SaveScreenshot(ScreenshotPath("zoom_bar_landscape_expanded.png"));
    TapHandle(*bar);
    EXPECT_FALSE(IsWindowVisible(bar->Trackbar()));
    device.SaveScreenshot(ScreenshotPath("zoom_bar_landscape_collapsed.png"));
    device.Rotate();
    EXPECT_EQ(InOwner(bar->Handle()), (RECT{0, 199, 10, 233}));
    device.SaveScreenshot(ScreenshotPath("zoom_bar_portrait_collapsed.png"));
}

// Set up as the viewer resets it for a 640-pixel-wide desktop: 37 % to 600 %, a tick at 100 %.
TEST_F(ZoomBarTest, DraggingTheSliderReportsEveryMoveAndTheOwnerStaysActive) {
    auto bar = MakeBar<ZoomBar>();
    RecordingListener listener;
    bar->SetListener(&listener);
    bar->SetRange(37, 600, 100);
    bar->SetPosition(100);
    TapHandle(*bar);
    // The trackbar is 227 x 32 at screen (11, 226); its thumb's centre runs from 7 to 220 along
    // it, so position 100 of 37..600 puts it 30 along, 12 down: screen (41, 238).
    device.Drag({41, 238}, {150, 238});
    ASSERT_GE(listener.scrolls.size(), 3u);
    std::size_t last = listener.scrolls.size() - 1;
    for (std::size_t i = 0; i + 2 <= last; ++i) {
        EXPECT_EQ(listener.scrolls[i].code, TB_THUMBTRACK) << i;
    }
    EXPECT_EQ(listener.scrolls[last - 1].code, TB_THUMBPOSITION);
    EXPECT_EQ(listener.scrolls[last].code, TB_ENDTRACK);
    for (const Scroll& scroll : listener.scrolls) {
        EXPECT_EQ(scroll.bar, bar.get());
    }
    EXPECT_GT(bar->GetPosition(), 300);
    EXPECT_EQ(listener.scrolls[last].position, bar->GetPosition());
    EXPECT_EQ(GetForegroundWindow(), owner->Handle());
    EXPECT_EQ(owner->deactivations, 0);
}

// A position is a zoom in percent: the viewer divides it by 100, and 0 would be no picture.
TEST_F(ZoomBarTest, TheRangeStartsAtOneAtTheLeast) {
    auto bar = MakeBar<ZoomBar>();
    for (int min : {0, -50}) {
        bar->SetRange(min, 600, 100);
        EXPECT_EQ(SendMessageW(bar->Trackbar(), TBM_GETRANGEMIN, 0, 0), 1) << min;
        EXPECT_EQ(SendMessageW(bar->Trackbar(), TBM_GETRANGEMAX, 0, 0), 600) << min;
        EXPECT_EQ(SendMessageW(bar->Trackbar(), TBM_GETTIC, 0, 0), 100) << min;
        bar->SetPosition(0);
        EXPECT_EQ(bar->GetPosition(), 1) << min;
    }
    bar->SetRange(25, 600, 100);  // a minimum above 1 is kept; the old tick goes
    EXPECT_EQ(SendMessageW(bar->Trackbar(), TBM_GETRANGEMIN, 0, 0), 25);
    EXPECT_EQ(SendMessageW(bar->Trackbar(), TBM_GETNUMTICS, 0, 0), 3);
}

TEST_F(ZoomBarTest, AVerticalBarHasAVerticalSliderThatReportsToo) {
    auto bar = MakeBar<ZoomBar>();
    RecordingListener listener;
    bar->SetListener(&listener);
    bar->SetRange(37, 600, 100);
    bar->SetPosition(100);
    bar->SetVertical(true);
    EXPECT_NE(GetWindowLongW(bar->Trackbar(), GWL_STYLE) & TBS_VERT, 0);
    TapHandle(*bar);
    ASSERT_TRUE(bar->IsExpanded());
    // Column 1 from the left, its handle at the bottom: the content runs from the top of the
    // owner's client area (less a border) to just above the handle.
    EXPECT_EQ(InOwner(bar->Handle()), (RECT{36, 1, 70, 268}));
    EXPECT_EQ(device.ScreenRectOf(bar->Trackbar()), (RECT{37, 28, 69, 283}));
    // Its thumb's centre runs from 7 to 248 down the 255-pixel trackbar: position 100 is 33
    // down, 12 across.
    device.Drag({49, 61}, {49, 200});
    ASSERT_FALSE(listener.scrolls.empty());
    EXPECT_EQ(listener.scrolls.back().code, TB_ENDTRACK);
    EXPECT_GT(bar->GetPosition(), 300);
    bar->SetVertical(false);
    EXPECT_EQ(GetWindowLongW(bar->Trackbar(), GWL_STYLE) & TBS_VERT, 0);
    EXPECT_EQ(device.ScreenRectOf(bar->Trackbar()), (RECT{11, 226, 238, 258}));
}

TEST_F(ZoomBarTest, HandleBitmapsAreFourBitGripsOfTheirSizes) {
    struct Expected {
        UINT id;
        LONG width, height;
    };
    for (Expected e : {Expected{137, 8, 32}, Expected{138, 16, 64}, Expected{139, 32, 8},
                       Expected{140, 64, 16}}) {
        HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(e.id));
        ASSERT_NE(bitmap, nullptr) << e.id;
        BITMAP info{};
        ASSERT_EQ(GetObjectW(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
        EXPECT_EQ(info.bmWidth, e.width) << e.id;
        EXPECT_EQ(info.bmHeight, e.height) << e.id;
        EXPECT_EQ(info.bmBitsPixel, 4) << e.id;
        DeleteObject(bitmap);
    }
}

}  // namespace
