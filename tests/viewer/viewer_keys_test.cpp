// The key toolbar and the Keyboard menu's keys of a viewer opened from the server list, against
// the logging pattern server: a latching Ctrl and an Esc defined in the store and placed on both,
// tapped and chosen; what the server receives, also when the keys are reloaded or the viewer is
// closed with a key still down; the toolbar's toggle kept per server; screenshots.
#include <app/server_list_window.h>
#include <keyboard/macro_list.h>
#include <platform/text.h>
#include <settings/server_list.h>
#include <viewer/viewer_window.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "../keyboard/defined_keys_store.h"
#include "pattern_server_process.h"
#include "server_log_mark.h"
#include "test_windows.h"
#include "ui_script.h"
#include "viewer_device.h"

namespace {

constexpr UINT kOpenServer = 40100;
constexpr UINT kCloseServer = 32779;
constexpr UINT kShowKeyToolbar = 32792;

class ViewerKeysTest : public ViewerDevice {
  public:
    void SetUp() override {
        ViewerDevice::SetUp();
        server = std::make_unique<PatternServerProcess>(
            std::vector<std::string>{"--size", "640x480"});
        ASSERT_TRUE(server->Started()) << server->Output();
        ServerSettings settings = DefaultServerSettings();
        lstrcpynW(settings.Hostname, u"127.0.0.1", kTextCapacity);
        settings.Port = server->Port();
        settings.Rate = kRateConstant;
        ServerList saved;
        lstrcpynW(id, saved.Create(u"Pattern", settings)->Id, 9);
        serverKey = ServerKey(id);
        ASSERT_TRUE(serverKey);
        DefineKey(*serverKey, u"Ctrl", 0xFFE3, true, kPlacementBoth);
        DefineKey(*serverKey, u"Esc", 0xFF1B, false, kPlacementBoth);
        serverKey->writeDword(u"ShowKeyboard", 1);
    }
    void TearDown() override {
        list.reset();
        serverKey.reset();
        server.reset();
        ViewerDevice::TearDown();
    }

    // A key in this server's Keyboard menu whose press plays a new macro of these steps.
    bool DefineMenuMacroKey(LPCWSTR title, std::vector<MacroEntry> steps) {
        MacroList macros;
        std::unique_ptr<Macro> macro = macros.Add(title);
        if (!macro) {
            return false;
        }
        macro->Entries = std::move(steps);
        KeyList keys;
        std::unique_ptr<KeyDef> key = keys.Add(title);
        if (!macro->Save(*macros.Collection()) || !key) {
            return false;
        }
        key->Type = kMacroKey;
        lstrcpynW(key->MacroDown, macro->Id, kItemIdCapacity);
        keys.Save(*key);
        key->InMenu = true;
        std::unique_ptr<SettingsKey> placements(serverKey->openSubkey(u"Keys"));
        key->WritePlacement(*placements);
        return true;
    }

    // Opens the only server from the list and waits for its first screen.
    ViewerWindow* Open() {
        list = std::make_unique<ServerListWindow>(u"Tavrel", CreateViewerWindow);
        device.PumpUntilIdle();
        LVITEMW select{};
        select.state = select.stateMask = LVIS_SELECTED;
        SendMessageW(list->ListView(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
        SendMessageW(list->Handle(), WM_COMMAND, kOpenServer, 0);
        auto* viewer = static_cast<ViewerWindow*>(list->Servers().At(0)->viewer);
        EXPECT_NE(viewer, nullptr);
        if (viewer == nullptr) {
            return nullptr;
        }
        EXPECT_TRUE(device.RunUntil(
            [&] { return viewer->GetConnectionState() == kConnected; }, 5000));
        EXPECT_FALSE(server->WaitForLine("update full 0 0 640 480").empty());
        device.PumpUntilIdle();
        return viewer;
    }
    void TapKey(KeyToolbar& bar, const std::u16string& title) {
        RECT content{};
        ASSERT_TRUE(bar.GetContentRect(&content));
        for (const ToolbarButton& b : bar.Buttons()) {
            if (title == bar.Keys()[b.key].Title) {
                POINT p{content.left + (b.left + b.right) / 2, content.top + (b.top + b.bottom) / 2};
                ClientToScreen(bar.Handle(), &p);
                device.Tap(p.x, p.y);
                return;
            }
        }
        ADD_FAILURE() << "no button";
    }
    UINT MenuCommand(ViewerWindow& viewer, const std::u16string& title) {
        HMENU menu = viewer.KeyboardMenu();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            WCHAR text[kTextCapacity] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, kTextCapacity, MF_BYPOSITION);
            if (title == text) {
                return GetMenuItemID(menu, i);
            }
        }
        ADD_FAILURE() << "no menu item";
        return 0;
    }
    // The server's key lines from index from on: up to a mark sent through the open viewer, or up
    // to the disconnect of a viewer that has gone.
    std::vector<std::string> KeyLines(std::size_t from, ViewerWindow* viewer) {
        if (viewer != nullptr) {
            return LinesUpToMark(*server, *viewer, from, "key ");
        }
        std::optional<std::vector<std::string>> lines = server->LinesBefore("disconnect", from);
        EXPECT_TRUE(lines) << "no disconnect";
        return Starting(lines, "key ");
    }

    std::unique_ptr<PatternServerProcess> server;
    WCHAR id[9] = {};
    std::unique_ptr<SettingsKey> serverKey;
    std::unique_ptr<ServerListWindow> list;
};

TEST_F(ViewerKeysTest, ToolbarAndMenuKeysReachTheServerAsDefined) {
    ViewerWindow* viewer = Open();
    ASSERT_NE(viewer, nullptr);
    KeyToolbar& bar = viewer->KeyToolbarWidget();
    EXPECT_TRUE(IsWindowVisible(bar.Handle())) << "ShowKeyboard is 1";
    HMENU menu = viewer->KeyboardMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuState(menu, kShowKeyToolbar, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED),
              MF_CHECKED);
    EXPECT_EQ(GetMenuState(menu, 32793, MF_BYCOMMAND) & MF_GRAYED, 0u);  // "Define keys"
    EXPECT_EQ(GetMenuItemCount(menu), 5) << "Show toolbar, Define keys, a separator, two keys";

    RECT handle{};
    bar.GetHandleRect(&handle);
    POINT at{handle.left + 2, (handle.top + handle.bottom) / 2};
    ClientToScreen(bar.Handle(), &at);
    device.Tap(at.x, at.y);
    ASSERT_TRUE(bar.IsExpanded());
    ASSERT_EQ(bar.Buttons().size(), 2u);

    std::size_t from = server->Lines().size();
    TapKey(bar, u"Ctrl");
    device.SaveScreenshot(ScreenshotPath("viewer_key_toolbar.png"));  // Ctrl latched: dark
    TapKey(bar, u"Esc");
    TapKey(bar, u"Ctrl");
    EXPECT_EQ(KeyLines(from, viewer),
              (std::vector<std::string>{"key down 0xffe3", "key down 0xff1b", "key up 0xff1b",
                                        "key up 0xffe3"}));

    from = server->Lines().size();
    UINT ctrl = MenuCommand(*viewer, u"Ctrl");
    SendMessageW(viewer->Handle(), WM_COMMAND, MenuCommand(*viewer, u"Esc"), 0);
    SendMessageW(viewer->Handle(), WM_COMMAND, ctrl, 0);
    EXPECT_EQ(GetMenuState(menu, ctrl, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    SendMessageW(viewer->Handle(), WM_COMMAND, ctrl, 0);
    EXPECT_EQ(GetMenuState(menu, ctrl, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(KeyLines(from, viewer),
              (std::vector<std::string>{"key down 0xff1b", "key up 0xff1b", "key down 0xffe3",
                                        "key up 0xffe3"}));

    // A turned screen lays the bar out again along the longer side.
    device.Rotate();
    EXPECT_EQ(bar.Buttons().size(), 2u);
    device.SaveScreenshot(ScreenshotPath("viewer_key_toolbar_wide.png"));

    // The toggle is kept per server.
    SendMessageW(viewer->Handle(), WM_COMMAND, kShowKeyToolbar, 0);
    EXPECT_FALSE(IsWindowVisible(bar.Handle()));
    EXPECT_EQ(serverKey->readDword(u"ShowKeyboard", 7), 0u);
    EXPECT_EQ(GetMenuState(menu, kShowKeyToolbar, MF_BYCOMMAND) & MF_CHECKED, 0u);
    SendMessageW(viewer->Handle(), WM_COMMAND, kShowKeyToolbar, 0);
    EXPECT_TRUE(IsWindowVisible(bar.Handle()));
    EXPECT_EQ(serverKey->readDword(u"ShowKeyboard", 7), 1u);
}

TEST_F(ViewerKeysTest, KeysLeftDownAreReleasedBeforeAReloadAndWhenTheViewerCloses) {
    // A key whose press plays a macro that only presses Shift.
    ASSERT_TRUE(DefineMenuMacroKey(u"Shift macro", {{0xFFE1, kMacroDown}}));
    ViewerWindow* viewer = Open();
    ASSERT_NE(viewer, nullptr);
    KeyToolbar& bar = viewer->KeyToolbarWidget();
    bar.SetExpanded(true);
    device.PumpUntilIdle();

    // Ctrl latched on the toolbar and in the menu, Shift held by the macro: a reload (as after
    // the key list dialog) lets them all go on the server, and the keys show released.
    std::size_t from = server->Lines().size();
    TapKey(bar, u"Ctrl");
    SendMessageW(viewer->Handle(), WM_COMMAND, MenuCommand(*viewer, u"Shift macro"), 0);
    SendMessageW(viewer->Handle(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(KeyLines(from, viewer),
              (std::vector<std::string>{"key down 0xffe3", "key down 0xffe1", "key up 0xffe3",
                                        "key up 0xffe1"}));
    for (const KeyDef& key : bar.Keys()) {
        EXPECT_FALSE(key.Down);
    }

    // The same through ReloadKeys, with the Ctrl of the menu latched.
    from = server->Lines().size();
    UINT ctrl = MenuCommand(*viewer, u"Ctrl");
    SendMessageW(viewer->Handle(), WM_COMMAND, ctrl, 0);
    viewer->ReloadKeys();
    EXPECT_EQ(KeyLines(from, viewer),
              (std::vector<std::string>{"key down 0xffe3", "key up 0xffe3"}));
    EXPECT_EQ(GetMenuState(viewer->KeyboardMenu(), ctrl, MF_BYCOMMAND) & MF_CHECKED, 0u);

    // Ctrl latched when the server is closed.
    from = server->Lines().size();
    TapKey(bar, u"Ctrl");
    ASSERT_FALSE(server->WaitForLine("key down 0xffe3", 3000, from).empty());
    SendMessageW(viewer->Handle(), WM_COMMAND, kCloseServer, 0);
    device.PumpUntilIdle();
    EXPECT_EQ(list->Servers().At(0)->viewer, nullptr);
    EXPECT_EQ(KeyLines(from, nullptr),
              (std::vector<std::string>{"key down 0xffe3", "key up 0xffe3"}));
}

// "Define keys" in the viewer's Keyboard menu: the define-keys dialog for this server; on OK the
// toolbar and the menu are built again from what it saved.
TEST_F(ViewerKeysTest, DefineKeysFromTheViewerRebuildsItsToolbar) {
    ViewerWindow* viewer = Open();
    ASSERT_NE(viewer, nullptr);
    ASSERT_EQ(viewer->KeyToolbarWidget().Keys().size(), 2u);
    UiScript script(device);
    script.InDialog([&](HWND dialog) {
        script.TapControl(dialog, 20000);  // the first row's "Toolbar" box: off
        device.Tap(240 - 12, 13);           // the task bar's "ok"
    });
    script.Start();
    SendMessageW(viewer->Handle(), WM_COMMAND, 32793, 0);
    ASSERT_TRUE(script.Run());
    EXPECT_EQ(viewer->KeyToolbarWidget().Keys().size(), 1u);
    EXPECT_EQ(viewer->KeyboardMenuKeys().Keys().size(), 2u);
}

// A macro Ctrl+Alt+Del bound to a key in this server's Keyboard menu: choosing it plays the six
// events in order on the server.
TEST_F(ViewerKeysTest, AMacroKeyChosenFromTheMenuPlaysItsStepsOnTheServer) {
    ASSERT_TRUE(DefineMenuMacroKey(u"CAD", {{0xFFE3, kMacroDown},
                                             {0xFFE9, kMacroDown},
                                             {0xFFFF, kMacroToggle},
                                             {0xFFE9, kMacroUp},
                                             {0xFFE3, kMacroUp}}));
    ViewerWindow* viewer = Open();
    ASSERT_NE(viewer, nullptr);
    std::size_t from = server->Lines().size();
    SendMessageW(viewer->Handle(), WM_COMMAND, MenuCommand(*viewer, u"CAD"), 0);
    EXPECT_EQ(KeyLines(from, viewer),
              (std::vector<std::string>{"key down 0xffe3", "key down 0xffe9", "key down 0xffff",
                                        "key up 0xffff", "key up 0xffe9", "key up 0xffe3"}));
}

}  // namespace
