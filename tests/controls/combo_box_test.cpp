// The combo box driven on the test device as a person would: typing into its field, opening its
// list and choosing from it, paging a list longer than its drop-down, and being moved and sized
// after it was made.
#include <platform/dialog.h>
#include <platform_testing/device_harness.h>
#include "test_windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kComboId = 1000;
std::vector<WORD> notifications;

LRESULT ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kComboId) {
        notifications.push_back(HIWORD(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int Count(WORD code) {
    int n = 0;
    for (WORD seen : notifications) {
        n += seen == code ? 1 : 0;
    }
    return n;
}

class ComboBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        notifications.clear();
        ASSERT_TRUE(RegisterTestClass(u"ComboParent", ParentProc, WhiteBackground()));
        parent =
            CreateWindowExW(0, u"ComboParent", u"Combos", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
        device.PumpUntilIdle();
    }
    void TearDown() override { DestroyWindow(parent); }

    HWND MakeCombo(DWORD style, int height = 100) {
        HWND combo = CreateWindowExW(
            0, WC_COMBOBOX, u"", WS_CHILD | WS_VISIBLE | style, 10, 10, 150, height, parent,
            reinterpret_cast<HMENU>(static_cast<std::intptr_t>(kComboId)), nullptr, nullptr);
        for (int i = 0; i < 30; ++i) {
            std::u16string text = u"Item " +
                                  std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                  (i >= 26 ? u"2" : u"");
            LRESULT item =
                SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), 100 + i);
        }
        device.PumpUntilIdle();
        return combo;
    }
    std::u16string Text(HWND combo) {
        WCHAR text[64] = {};
        SendMessageW(combo, WM_GETTEXT, static_cast<WPARAM>(64), reinterpret_cast<LPARAM>(text));
        return text;
    }

    DeviceHarness device;
    HWND parent = nullptr;
};

TEST_F(ComboBoxTest, OnlyTypingIsAnEditChangeAndItClearsTheSelection) {
    HWND combo = MakeCombo(CBS_DROPDOWN);
    SendMessageW(combo, CB_SETCURSEL, 2, 0);
    SetWindowTextW(combo, u"set by the program");
    EXPECT_EQ(Count(CBN_EDITCHANGE), 0) << "a selection or a text set by the program";
    SendMessageW(combo, CB_SETCURSEL, 3, 0);
    EXPECT_EQ(Text(combo), u"Item D");

    RECT field = device.ScreenRectOf(combo);
    device.Tap(field.left + 20, (field.top + field.bottom) / 2);  // into the field
    SendMessageW(GetWindow(combo, GW_CHILD), EM_SETSEL, 0, -1);
    device.Type(u"q");
    EXPECT_EQ(Count(CBN_EDITCHANGE), 1);
    EXPECT_EQ(Text(combo), u"q");
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR)
        << "the typed text names no item any more";

    // A shifted letter, with Shift held across the key as a person does.
    device.HoldKey(VK_SHIFT);
    device.PressKey('W');
    device.ReleaseKey(VK_SHIFT);
    EXPECT_EQ(Text(combo), u"qW");
    EXPECT_EQ(Count(CBN_EDITCHANGE), 2);
}

TEST_F(ComboBoxTest, MovedAndSizedAfterCreationItKeepsItsFieldHeightAndOpensAsTallAsAsked) {
    HWND combo = MakeCombo(CBS_DROPDOWNLIST, 30);
    RECT before = device.ScreenRectOf(combo);
    MoveWindow(combo, 20, 60, 120, 200, TRUE);
    device.PumpUntilIdle();
    RECT after = device.ScreenRectOf(combo);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top) << "the field's height";
    EXPECT_EQ(after.right - after.left, 120);
    EXPECT_EQ(after.top - before.top, 50);

    device.Tap(after.right - 5, (after.top + after.bottom) / 2);
    HWND list = device.FindTopLevel(u"ComboLBox");
    ASSERT_NE(list, nullptr);
    RECT open = device.ScreenRectOf(list);
    EXPECT_EQ(open.top, after.bottom);
    EXPECT_EQ(open.bottom - open.top, 200 - (after.bottom - after.top))
        << "the height given by the move is the open list's";
    device.Tap(5, 300);  // outside: closes
    EXPECT_EQ(device.FindTopLevel(u"ComboLBox"), nullptr);
}

TEST_F(ComboBoxTest, ALongListPagesWithItsStripSoEveryItemCanBeChosen) {
    HWND combo = MakeCombo(CBS_DROPDOWNLIST, 22 + 2 + 5 * 18);  // five items show
    RECT field = device.ScreenRectOf(combo);
    device.Tap(field.right - 5, (field.top + field.bottom) / 2);
    HWND list = device.FindTopLevel(u"ComboLBox");
    ASSERT_NE(list, nullptr);
    RECT open = device.ScreenRectOf(list);
    for (int page = 0; page < 5; ++page) {  // 25 items down: "Item Z" is the first shown
        device.Tap(open.right - 4, open.bottom - 6);
    }
    ASSERT_EQ(device.FindTopLevel(u"ComboLBox"), list) << "paging keeps the list open";
    device.Tap(open.left + 20, open.top + 1 + 9);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, SendMessageW(combo, CB_GETCURSEL, 0, 0), 0),
              100 + 25);
    EXPECT_EQ(Count(CBN_SELCHANGE), 1);

    // Opened again, the chosen item is in view; a page up goes back towards the first.
    device.Tap(field.right - 5, (field.top + field.bottom) / 2);
    list = device.FindTopLevel(u"ComboLBox");
    ASSERT_NE(list, nullptr);
    device.Tap(open.right - 4, open.top + 6);
    device.Tap(open.left + 20, open.top + 1 + 9);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 20);
}

}  // namespace
