// The key toolbar on the test device: its two lanes, keys that do not fit, a bar without keys,
// a vertical bar; presses and releases by the stylus, also when the pen is lifted over the handle
// or the capture is lost; releasing what is held; and screenshots of both lanes.
#include <keyboard/key_toolbar.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

#include "defined_keys_store.h"
#include "owner_window.h"
#include "recording_key_sink.h"
#include "temp_home.h"
#include "test_windows.h"

namespace {

class SendingListener : public KeyToolbarListener {
  public:
    void OnKeyButton(KeyToolbar*, KeyDef& key, bool down) override { key.Send(sink, down); }
    RecordingKeySink sink;
};

class KeyToolbarTest : public WidgetTest {
  protected:
    void SetUp() override {
        WidgetTest::SetUp();
        server = ServerKey(u"SERVER01");
        ASSERT_TRUE(server);
    }
    std::unique_ptr<KeyToolbar> MakeToolbar() {
        auto bar = MakeBar<KeyToolbar>(2);
        bar->SetListener(&listener);
        bar->Layout(server.get());
        bar->SetExpanded(true);
        device.PumpUntilIdle();
        return bar;
    }
    // Each button's rectangle by its key's title.
    static std::map<std::u16string, RECT> ButtonsByTitle(KeyToolbar& bar) {
        std::map<std::u16string, RECT> found;
        for (const ToolbarButton& b : bar.Buttons()) {
            found[bar.Keys()[b.key].Title] = {b.left, b.top, b.right, b.bottom};
        }
        return found;
    }
    // A point in the middle of the button of title, in the bar's client coordinates.
    static POINT Middle(KeyToolbar& bar, const std::u16string& title) {
        RECT content{};
        bar.GetContentRect(&content);
        RECT r = ButtonsByTitle(bar).at(title);
        return {content.left + (r.left + r.right) / 2, content.top + (r.top + r.bottom) / 2};
    }
    void TapButton(KeyToolbar& bar, const std::u16string& title) {
        POINT p = Middle(bar, title);
        TapInClient(bar.Handle(), p.x, p.y);
    }
    // The screen colour just inside the button's corner, clear of its label and outline.
    COLORREF Face(KeyToolbar& bar, const std::u16string& title) {
        RECT content{};
        bar.GetContentRect(&content);
        RECT r = ButtonsByTitle(bar).at(title);
        POINT p{content.left + r.left + 4, content.top + r.top + 4};
        ClientToScreen(bar.Handle(), &p);
        return device.ScreenPixel(p.x, p.y);
    }

    // The screen holds 5:6:5 pixels: a colour comes back within a few steps of each component.
    static bool Near(COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) < 8 &&
               std::abs(GetGValue(a) - GetGValue(b)) < 8 && std::abs(GetBValue(a) - GetBValue(b)) < 8;
    }

    TempHome home;
    std::unique_ptr<SettingsKey> server;
    SendingListener listener;
};

TEST_F(KeyToolbarTest, TheLongestLabelsArePlacedFirstEachIntoTheEmptierLane) {
    // Widths 5m + 8, 4m + 8, 3m + 8 and 2m + 8: the first is longer than the second but shorter
    // than the second and third together.
    DefineKey(*server, u"MMMMM", 0x41, false, kPlacementToolbar);
    DefineKey(*server, u"MM", 0x42, false, kPlacementToolbar);
    DefineKey(*server, u"MMMM", 0x43, false, kPlacementBoth);
    DefineKey(*server, u"MMM", 0x44, false, kPlacementToolbar);
    DefineKey(*server, u"Menu only", 0x45, false, kPlacementMenu);
    auto bar = MakeToolbar();
    auto buttons = ButtonsByTitle(*bar);
    ASSERT_EQ(buttons.size(), 4u) << "the menu-only key has no button";
    RECT five = buttons[u"MMMMM"], four = buttons[u"MMMM"], three = buttons[u"MMM"],
         two = buttons[u"MM"];
    // 32-pixel icons: a 32-pixel content, lanes 0 to 15 and 15 to 30.
    EXPECT_EQ(five.left, 0);
    EXPECT_EQ(five.top, 0);
    EXPECT_EQ(five.bottom, 15);
    EXPECT_EQ(four.left, 0) << "the second goes to the empty lane 2";
    EXPECT_EQ(four.top, 15);
    EXPECT_EQ(four.bottom, 30);
    EXPECT_EQ(three.left, four.right) << "lane 1 holds more: the third follows in lane 2";
    EXPECT_EQ(three.top, 15);
    EXPECT_EQ(two.left, five.right) << "now lane 2 holds more: the fourth goes to lane 1";
    EXPECT_EQ(two.top, 0);
    EXPECT_GT(five.right - five.left, four.right - four.left);
    EXPECT_GT(four.right - four.left, three.right - three.left);
    EXPECT_GT(three.right - three.left, two.right - two.left);
    // Bar width = handle 8 + 4 borders + the content: the longer lane and 1.
    int longest = std::max(two.right, three.right);
    EXPECT_EQ(InOwner(bar->Handle()).right - InOwner(bar->Handle()).left, 12 + longest + 1);
    device.SaveScreenshot(ScreenshotPath("key_toolbar_portrait.png"));
    device.Rotate();
    SendMessageW(bar->Handle(), WM_SETTINGCHANGE, 0, 0);
    bar->Layout(server.get());
    device.PumpUntilIdle();
    EXPECT_EQ(bar->Buttons().size(), 4u);
    device.SaveScreenshot(ScreenshotPath("key_toolbar_landscape.png"));
}

TEST_F(KeyToolbarTest, KeysThatDoNotFitAreLeftOffAndShorterOnesStillPlaced) {
    DefineKey(*server, u"A label far too long to fit along this bar at all", 0x41, false,
              kPlacementToolbar);
    DefineKey(*server, u"Esc", 0xFF1B, false, kPlacementToolbar);
    DefineKey(*server, u"Ctrl", 0xFFE3, true, kPlacementToolbar);
    auto bar = MakeToolbar();
    auto buttons = ButtonsByTitle(*bar);
    EXPECT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons.count(u"Esc"), 1u);
    EXPECT_EQ(buttons.count(u"Ctrl"), 1u);
    for (auto& [title, r] : buttons) {
        EXPECT_LE(r.right, bar->GetAvailableLength()) << std::string(title.begin(), title.end());
    }
}

TEST_F(KeyToolbarTest, ABarWithoutKeysKeepsAShortEmptyContent) {
    DefineKey(*server, u"Menu only", 0x45, false, kPlacementMenu);
    auto bar = MakeToolbar();
    EXPECT_TRUE(bar->Buttons().empty());
    EXPECT_EQ(InOwner(bar->Handle()).right - InOwner(bar->Handle()).left, 12 + 20);
    // Without a server key there are no keys either.
    bar->Layout(nullptr);
    EXPECT_TRUE(bar->Keys().empty());
}

TEST_F(KeyToolbarTest, AVerticalBarStacksItsLanesSideBySide) {
    DefineKey(*server, u"Ctrl", 0xFFE3, true, kPlacementToolbar);
    DefineKey(*server, u"Esc", 0xFF1B, false, kPlacementToolbar);
    DefineKey(*server, u"F10", 0xFFC7, false, kPlacementToolbar);
    auto bar = MakeToolbar();
    bar->SetVertical(true);
    bar->Layout(server.get());
    device.PumpUntilIdle();
    auto buttons = ButtonsByTitle(*bar);
    ASSERT_EQ(buttons.size(), 3u);
    int leftLane = 0, rightLane = 0;
    for (auto& [title, r] : buttons) {
        EXPECT_LT(r.left, r.right);
        EXPECT_LT(r.top, r.bottom);
        (r.left == 0 ? leftLane : rightLane) += 1;
        EXPECT_EQ(r.right - r.left, 15);
    }
    EXPECT_EQ(leftLane, 2);
    EXPECT_EQ(rightLane, 1);
    device.SaveScreenshot(ScreenshotPath("key_toolbar_vertical.png"));
}

TEST_F(KeyToolbarTest, ALatchingKeyGoesDownOnOneTapAndUpOnTheNextAndShowsItsState) {
    DefineKey(*server, u"Ctrl", 0xFFE3, true, kPlacementToolbar);
    DefineKey(*server, u"Esc", 0xFF1B, false, kPlacementToolbar);
    auto bar = MakeToolbar();
    const COLORREF light = RGB(0xC0, 0xC0, 0xC0), dark = 0x656565;
    EXPECT_TRUE(Near(Face(*bar, u"Ctrl"), light));
    TapButton(*bar, u"Ctrl");
    EXPECT_EQ(listener.sink.Take(), std::vector<RecordedKeyEvent>{Press(0xFFE3)});
    EXPECT_TRUE(Near(Face(*bar, u"Ctrl"), dark));
    EXPECT_TRUE(Near(Face(*bar, u"Esc"), light));
    TapButton(*bar, u"Esc");
    EXPECT_EQ(listener.sink.Take(), (std::vector<RecordedKeyEvent>{Press(0xFF1B), Release(0xFF1B)}));
    TapButton(*bar, u"Ctrl");
    EXPECT_EQ(listener.sink.Take(), std::vector<RecordedKeyEvent>{Release(0xFFE3)});
    EXPECT_TRUE(Near(Face(*bar, u"Ctrl"), light));
    EXPECT_FALSE(bar->Capturing());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(KeyToolbarTest, APenDownBetweenButtonsCapturesTheStylusButSendsNothing) {
    DefineKey(*server, u"MMMMM", 0x41, false, kPlacementToolbar);
    DefineKey(*server, u"M", 0x42, false, kPlacementToolbar);
    auto bar = MakeToolbar();
    RECT content{};
    bar->GetContentRect(&content);
    RECT shortOne = ButtonsByTitle(*bar).at(u"M");
    LPARAM gap = MAKELPARAM(content.left + shortOne.right + 3, content.top + 20);
    SendMessageW(bar->Handle(), WM_LBUTTONDOWN, 0, gap);
    EXPECT_TRUE(bar->Capturing());
    EXPECT_EQ(GetCapture(), bar->Handle());
    EXPECT_EQ(bar->Pressed(), -1);
    SendMessageW(bar->Handle(), WM_LBUTTONUP, 0, gap);
    EXPECT_FALSE(bar->Capturing());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(listener.sink.events.empty());
}

TEST_F(KeyToolbarTest, AKeyHeldIsReleasedWhereverThePenIsLiftedOrWhenTheCaptureGoes) {
    DefineKey(*server, u"Shift", 0xFFE1, false, kPlacementToolbar);
    auto bar = MakeToolbar();
    // Lifted over the handle: the release goes to the key, and the bar stays open.
    POINT from = Middle(*bar, u"Shift"), to{3, 10};
    ClientToScreen(bar->Handle(), &from);
    ClientToScreen(bar->Handle(), &to);
    device.Drag(from, to);
    EXPECT_EQ(listener.sink.Take(), (std::vector<RecordedKeyEvent>{Press(0xFFE1), Release(0xFFE1)}));
    EXPECT_TRUE(bar->IsExpanded());
    EXPECT_FALSE(bar->Capturing());
    // Lifted outside the bar altogether.
    POINT far{120, 60};
    device.Drag(from, far);
    EXPECT_EQ(listener.sink.Take(), (std::vector<RecordedKeyEvent>{Press(0xFFE1), Release(0xFFE1)}));
    // The capture taken away while the key is down.
    POINT p = Middle(*bar, u"Shift");
    SendMessageW(bar->Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(listener.sink.Take(), std::vector<RecordedKeyEvent>{Press(0xFFE1)});
    ReleaseCapture();
    EXPECT_EQ(listener.sink.Take(), std::vector<RecordedKeyEvent>{Release(0xFFE1)});
    EXPECT_FALSE(bar->Capturing());
    EXPECT_FALSE(bar->Keys()[0].Down);
}

TEST_F(KeyToolbarTest, ReleaseKeysSendsTheUpOfEveryKeyDownAndEndsAPress) {
    DefineKey(*server, u"Ctrl", 0xFFE3, true, kPlacementToolbar);
    DefineKey(*server, u"Shift", 0xFFE1, false, kPlacementToolbar);
    auto bar = MakeToolbar();
    TapButton(*bar, u"Ctrl");
    POINT p = Middle(*bar, u"Shift");
    SendMessageW(bar->Handle(), WM_LBUTTONDOWN, 0, MAKELPARAM(p.x, p.y));
    listener.sink.Take();
    RecordingKeySink released;
    bar->ReleaseKeys(released);
    std::vector<RecordedKeyEvent> events = released.Take();
    std::sort(events.begin(), events.end(),
              [](auto& a, auto& b) { return a.keysym < b.keysym; });
    EXPECT_EQ(events, (std::vector<RecordedKeyEvent>{Release(0xFFE1), Release(0xFFE3)}));
    EXPECT_FALSE(bar->Capturing());
    EXPECT_EQ(GetCapture(), nullptr);
    // The pen-up that follows sends nothing more.
    SendMessageW(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_TRUE(listener.sink.events.empty());
}

}  // namespace
