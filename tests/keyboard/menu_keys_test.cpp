// The Keyboard menu's keys: "Empty" without keys, one item per key after the fixed items, a
// plain key's whole stroke and a latching key's toggle with its check mark, rebuilding in place,
// and the cap on the number of items that keeps their commands from reaching other commands.
#include <keyboard/menu_keys.h>

#include <platform/resources.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "defined_keys_store.h"
#include "recording_key_sink.h"
#include "temp_home.h"

namespace {

class MenuKeysTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallResources(GetModuleHandleW(nullptr));
        server = ServerKey(u"SERVER01");
        ASSERT_TRUE(server);
        menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 32792, u"Show toolbar");
        AppendMenuW(menu, MF_STRING, 32793, u"Define keys");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
    void TearDown() override { DestroyMenu(menu); }

    // The texts of the items after the fixed three, a grayed item in brackets, a checked one
    // with a star.
    std::vector<std::u16string> Items() {
        std::vector<std::u16string> items;
        for (int i = 3; i < GetMenuItemCount(menu); ++i) {
            WCHAR text[kTextCapacity] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, kTextCapacity, MF_BYPOSITION);
            UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            std::u16string item = text;
            if ((state & MF_GRAYED) != 0) {
                item = u"[" + item + u"]";
            }
            if ((state & MF_CHECKED) != 0) {
                item += u"*";
            }
            items.push_back(item);
        }
        return items;
    }
    UINT CommandOf(const std::u16string& title) {
        for (int i = 3; i < GetMenuItemCount(menu); ++i) {
            WCHAR text[kTextCapacity] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, kTextCapacity, MF_BYPOSITION);
            if (title == text) {
                return GetMenuItemID(menu, i);
            }
        }
        return 0;
    }

    DeviceHarness device;
    TempHome home;
    std::unique_ptr<SettingsKey> server;
    HMENU menu = nullptr;
    RecordingKeySink sink;
};

TEST_F(MenuKeysTest, AServerWithoutMenuKeysShowsOneGrayedEmptyItem) {
    DefineKey(*server, u"Toolbar only", 0x41, false, kPlacementToolbar);
    MenuKeys keys;
    keys.Load(server.get());
    keys.BuildMenu(menu);
    EXPECT_EQ(Items(), std::vector<std::u16string>{u"[Empty]"});
    EXPECT_FALSE(keys.OnCommand(menu, sink, kFirstMenuKeyCommand));
    EXPECT_TRUE(sink.events.empty());
}

TEST_F(MenuKeysTest, ItemsSendAStrokeOrToggleALatchWithItsCheckMark) {
    DefineKey(*server, u"Ctrl", 0xFFE3, true, kPlacementBoth);
    DefineKey(*server, u"Esc", 0xFF1B, false, kPlacementMenu);
    DefineKey(*server, u"Toolbar only", 0x41, false, kPlacementToolbar);
    MenuKeys keys;
    keys.Load(server.get());
    keys.BuildMenu(menu);
    std::vector<std::u16string> items = Items();
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::u16string>{u"Ctrl", u"Esc"}));

    EXPECT_TRUE(keys.OnCommand(menu, sink, CommandOf(u"Esc")));
    EXPECT_EQ(sink.Take(), (std::vector<RecordedKeyEvent>{Press(0xFF1B), Release(0xFF1B)}));
    UINT ctrl = CommandOf(u"Ctrl");
    EXPECT_TRUE(keys.OnCommand(menu, sink, ctrl));
    EXPECT_EQ(sink.Take(), std::vector<RecordedKeyEvent>{Press(0xFFE3)});
    EXPECT_EQ(GetMenuState(menu, ctrl, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_TRUE(keys.OnCommand(menu, sink, ctrl));
    EXPECT_EQ(sink.Take(), std::vector<RecordedKeyEvent>{Release(0xFFE3)});
    EXPECT_EQ(GetMenuState(menu, ctrl, MF_BYCOMMAND) & MF_CHECKED, 0u);

    // Latched again, then released before a reload: the check mark goes with it.
    keys.OnCommand(menu, sink, ctrl);
    sink.Take();
    keys.ReleaseKeys(sink);
    EXPECT_EQ(sink.Take(), std::vector<RecordedKeyEvent>{Release(0xFFE3)});
    EXPECT_EQ(GetMenuState(menu, ctrl, MF_BYCOMMAND) & MF_CHECKED, 0u);

    // Not its commands: the viewer's own, and past the last key.
    EXPECT_FALSE(keys.OnCommand(menu, sink, 32792));
    EXPECT_FALSE(keys.OnCommand(menu, sink, kFirstMenuKeyCommand + 2));
    EXPECT_TRUE(sink.events.empty());
}

TEST_F(MenuKeysTest, RebuildingReplacesItsItemsAndDestructionTakesThemAway) {
    DefineKey(*server, u"Esc", 0xFF1B, false, kPlacementMenu);
    {
        MenuKeys keys;
        keys.Load(server.get());
        keys.BuildMenu(menu);
        keys.BuildMenu(menu);
        EXPECT_EQ(Items(), std::vector<std::u16string>{u"Esc"});
        DefineKey(*server, u"Tab", 0xFF09, false, kPlacementMenu);
        keys.Load(server.get());
        keys.BuildMenu(menu);
        EXPECT_EQ(Items().size(), 2u);
        keys.Load(nullptr);
        keys.BuildMenu(menu);
        EXPECT_EQ(Items(), std::vector<std::u16string>{u"[Empty]"});
    }
    EXPECT_EQ(GetMenuItemCount(menu), 3) << "only the fixed items are left";
}

TEST_F(MenuKeysTest, TheItemCountIsCappedSoThatCommandsNeverWrapAndTheCapIsShown) {
    MenuKeys keys;
    // More keys than a list loads (as many as 60000 + n would wrap past 65535 with).
    keys.Keys().resize(6000);
    for (std::size_t i = 0; i < keys.Keys().size(); ++i) {
        keys.Keys()[i].KeySym = 0x41;
        lstrcpynW(keys.Keys()[i].Title, u"K", kTextCapacity);
    }
    keys.BuildMenu(menu);
    std::vector<std::u16string> items = Items();
    ASSERT_EQ(items.size(), static_cast<std::size_t>(kMaxDefinedKeys) + 1);
    EXPECT_EQ(items.back(), u"[Keys past 1000 are not shown]");
    for (int i = 3; i < GetMenuItemCount(menu); ++i) {
        EXPECT_GE(GetMenuItemID(menu, i), kFirstMenuKeyCommand);
        EXPECT_LE(GetMenuItemID(menu, i), kFirstMenuKeyCommand + kMaxDefinedKeys);
    }
    // 60000 + 5600 wraps to 0x0000 + 64 as a 16-bit command: nothing of it is a key's.
    EXPECT_FALSE(keys.OnCommand(menu, sink, kFirstMenuKeyCommand + kMaxDefinedKeys));
    EXPECT_TRUE(keys.OnCommand(menu, sink, kFirstMenuKeyCommand + kMaxDefinedKeys - 1));
    EXPECT_EQ(sink.Take().size(), 2u);
}

}  // namespace
