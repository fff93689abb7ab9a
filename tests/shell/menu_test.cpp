// Menus from resources and their items, pop-up menus operated with the stylus, the soft-key
// menu bar and screen rotation.
#include <platform/menu.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>
#include "test_windows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<UINT> commands;
std::vector<WPARAM> settingChanges;
std::vector<LPARAM> sizes;
SHACTIVATEINFO activateInfo{};

LRESULT OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            commands.push_back(LOWORD(wParam));
            return 0;
        case WM_SETTINGCHANGE:
            settingChanges.push_back(wParam);
            SHHandleWMSettingChange(window, wParam, lParam, &activateInfo);
            return 0;
        case WM_SIZE:
            sizes.push_back(lParam);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

class MenuTest : public ::testing::Test {
  public:
    void SetUp() override {
        InstallResources(GetModuleHandleW(nullptr));
        bool registered = RegisterTestClass(u"Owner", OwnerProc, WhiteBackground());
        ASSERT_TRUE(registered);
        commands.clear();
        settingChanges.clear();
        sizes.clear();
        activateInfo = SHACTIVATEINFO{};
        activateInfo.cbSize = sizeof activateInfo;
        owner = CreateWindowExW(0, u"Owner", u"Owner", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
        device.PumpUntilIdle();
    }
    HWND MakeMenuBar(UINT record) {
        SHMENUBARINFO info{};
        info.cbSize = sizeof info;
        info.hwndParent = owner;
        info.nToolBarId = record;
        info.hInstRes = GetModuleHandleW(nullptr);
        EXPECT_TRUE(SHCreateMenuBar(&info));
        device.PumpUntilIdle();
        return info.hwndMB;
    }
    // The centre of the pop-up menu item with this text, found on screen by the menu's layout:
    // items are 21 pixels, separators 7, below a 1-pixel border.
    POINT ItemCentre(HWND popupWindow, HMENU menu, UINT command) {
        RECT area = device.ScreenRectOf(popupWindow);
        int y = area.top + 1;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            int height = (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) != 0 ? 7 : 21;
            if (GetMenuItemID(menu, i) == command) {
                return {(area.left + area.right) / 2, y + height / 2};
            }
            y += height;
        }
        return {-1, -1};
    }
    DeviceHarness device;
    HWND owner = nullptr;
};

TEST_F(MenuTest, TheServerListMenuHasItsItemsInOrder) {
    HMENU bar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_SERVER_LIST));
    ASSERT_NE(bar, nullptr);
    HMENU menu = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(menu), 6);
    EXPECT_EQ(GetMenuItemID(menu, 0), 32774u);
    EXPECT_EQ(GetMenuItemID(menu, 1), 0xFFFFFFFFu);  // the "Options" pop-up
    HMENU options = GetSubMenu(menu, 1);
    EXPECT_EQ(GetMenuItemID(options, 0), 32799u);
    EXPECT_EQ(GetMenuItemID(options, 1), 32798u);
    EXPECT_NE(GetMenuState(menu, 2, MF_BYPOSITION) & MF_SEPARATOR, 0u);
    EXPECT_EQ(GetMenuItemID(menu, 3), 32771u);
    EXPECT_EQ(GetMenuItemID(menu, 5), 40002u);
    WCHAR text[32];
    GetMenuStringW(menu, 32771, text, 32, MF_BYCOMMAND);
    EXPECT_EQ(std::u16string(text), u"Exit");
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_EQ(GetMenuItemCount(menu), -1);  // destroyed with its parent
}

TEST_F(MenuTest, EnableCheckRemoveAndDeleteChangeItems) {
    HMENU bar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_VIEWER));
    HMENU menu = GetSubMenu(bar, 0);
    EXPECT_EQ(EnableMenuItem(menu, 32783, MF_GRAYED), static_cast<DWORD>(MF_ENABLED));
    EXPECT_EQ(EnableMenuItem(menu, 32783, MF_ENABLED), static_cast<DWORD>(MF_GRAYED));
    EXPECT_EQ(CheckMenuItem(menu, 32792, MF_CHECKED),
              static_cast<DWORD>(MF_UNCHECKED));  // inside "Keyboard"
    EXPECT_NE(GetMenuState(GetSubMenu(menu, 1), 32792, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(EnableMenuItem(menu, 99, MF_GRAYED), 0xFFFFFFFFu);
    HMENU zoom = GetSubMenu(menu, 0);
    EXPECT_TRUE(RemoveMenu(menu, 0, MF_BYPOSITION));
    EXPECT_EQ(GetMenuItemCount(zoom), 8);  // kept: the caller owns it now
    EXPECT_TRUE(DestroyMenu(zoom));
    EXPECT_TRUE(AppendMenuW(menu, MF_STRING, 5000, u"Server A"));
    int count = GetMenuItemCount(menu);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), 5000u);
    EXPECT_TRUE(DeleteMenu(menu, 5000, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuItemCount(menu), count - 1);
    DestroyMenu(bar);
}

TEST_F(MenuTest, TappingAnItemPostsItsCommandAndATapOutsideCancels) {
    HMENU bar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_SERVER_LIST));
    HMENU menu = GetSubMenu(bar, 0);
    HWND popup = nullptr;
    UINT result = 0;
    // The menu runs its own loop; a timer procedure drives it: find it, tap "Exit".
    static MenuTest* self;
    static HMENU shown;
    static HWND* found;
    self = this, shown = menu, found = &popup;
    SetTimer(nullptr, 0, 5, [](HWND, UINT, UINT_PTR id, DWORD) {
        *found = self->device.FindTopLevel(u"MNU");
        if (*found == nullptr) {
            return;  // not open yet: the next tick
        }
        KillTimer(nullptr, id);
        POINT exit = self->ItemCentre(*found, shown, 32771);
        self->device.Tap(exit.x, exit.y);
    });
    result = TrackPopupMenuEx(menu, TPM_RETURNCMD, 100, 100, owner, nullptr);
    EXPECT_EQ(result, 32771u);
    EXPECT_NE(popup, nullptr);
    EXPECT_FALSE(IsWindow(popup));  // gone once chosen
    SetTimer(nullptr, 0, 5, [](HWND, UINT, UINT_PTR id, DWORD) {
        if (self->device.FindTopLevel(u"MNU") == nullptr) {
            return;
        }
        KillTimer(nullptr, id);
        self->device.Tap(5, 300);  // outside the menu
    });
    EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 100, 100, owner, nullptr), 0);
    DestroyMenu(bar);
}

TEST_F(MenuTest, SoftKeysSendCommandsAndTheMenuKeyOpensItsMenuAboveTheBar) {
    HWND bar = MakeMenuBar(IDR_SERVER_LIST_BAR);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(SHFindMenuBar(owner), bar);
    RECT area = device.ScreenRectOf(bar);
    EXPECT_EQ(area.bottom, 320);
    EXPECT_EQ(area.top, 294);
    device.Tap(60, 307);  // "Select"
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], 40100u);
    HMENU popup = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, 40400));
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetMenuItemID(popup, 3), 32771u);
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_LPARAM | TBIF_COMMAND;
    EXPECT_EQ(SendMessageW(bar, TB_GETBUTTONINFO, 1, reinterpret_cast<LPARAM>(&info)), 1);
    EXPECT_EQ(info.idCommand, 40400);
    EXPECT_EQ(reinterpret_cast<HMENU>(info.lParam), popup);
    // "Menu": the pop-up opens above the bar; tapping "Options" opens its menu beside it.
    static MenuTest* self;
    static HMENU menu;
    self = this, menu = popup;
    SetTimer(nullptr, 0, 5, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND shown = self->device.FindTopLevel(u"MNU");
        if (shown == nullptr) {
            return;  // the tap on "Menu" has not opened it yet
        }
        KillTimer(nullptr, id);
        RECT box = self->device.ScreenRectOf(shown);
        EXPECT_EQ(box.bottom, 294);
        EXPECT_EQ(box.right, 240);
        POINT options = self->ItemCentre(shown, menu, 0xFFFFFFFF);
        self->device.Tap(options.x, options.y);
        HWND nested = self->device.FindTopLevel(u"MNU");
        EXPECT_NE(nested, shown);
        POINT macros = self->ItemCentre(nested, GetSubMenu(menu, 1), 32799);
        self->device.Tap(macros.x, macros.y);
    });
    device.Tap(180, 307);
    device.PumpUntilIdle();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[1], 32799u);
    EXPECT_EQ(device.FindTopLevel(u"MNU"), nullptr);
}

TEST_F(MenuTest, ARecordWithoutAMenuHasPlainButtonsAndABadRecordFails) {
    HWND bar = MakeMenuBar(IDR_KEY_EDITOR_BAR);
    EXPECT_EQ(SendMessageW(bar, SHCMBM_GETMENU, 0, 0), 0);
    device.Tap(200, 307);  // "Macros"
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], 112u);
    SHMENUBARINFO info{};
    info.cbSize = sizeof info;
    info.hwndParent = owner;
    info.nToolBarId = 4242;
    EXPECT_FALSE(SHCreateMenuBar(&info));
    EXPECT_EQ(info.hwndMB, nullptr);
}

TEST_F(MenuTest, RotationSwapsTheScreenAndFitsWindowsToTheNewWorkArea) {
    HWND bar = MakeMenuBar(IDR_SERVER_LIST_BAR);
    MoveWindow(owner, 0, 26, 240, 294 - 26, FALSE);
    sizes.clear();
    device.Rotate();
    DeviceScreenConfig screen = CurrentDeviceScreen();
    EXPECT_EQ(screen.width, 320);
    EXPECT_EQ(screen.height, 240);
    ASSERT_EQ(settingChanges.size(), 1u);
    EXPECT_EQ(settingChanges[0], SETTINGCHANGE_RESET);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back(), MAKELPARAM(320, 240 - 26 - 26));
    EXPECT_EQ(device.ScreenRectOf(bar).top, 240 - 26);
    EXPECT_EQ(device.ScreenRectOf(bar).right, 320);
    device.Rotate();
    EXPECT_EQ(CurrentDeviceScreen().width, 240);
}

}  // namespace
