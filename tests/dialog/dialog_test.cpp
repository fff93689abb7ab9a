// Dialog templates, the modal dialog loop, controls operated with the stylus and keys, message
// boxes on the UI thread and from worker threads, the clipboard and the beep.
#include <resources/dialog_builder.h>
#include "test_windows.h"

#include <platform/clipboard.h>
#include <platform/core.h>
#include <platform/dialog.h>
#include <platform/resources.h>
#include <platform_testing/device_harness.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>

namespace {

constexpr unsigned kTestDialog = 7001;

DialogDefinition TestSpec() {
    DialogDefinition dialog;
    dialog.style = WS_POPUP;
    dialog.title = u"Test dialog";
    dialog.width = 160, dialog.height = 118;
    dialog.items = {DialogText(u"Name:", SS_RIGHT, 6, 6, 27, 8),
                    DialogEdit(ES_AUTOHSCROLL, 10, 36, 3, 117, 14),
                    DialogButton(u"Shared", BS_AUTOCHECKBOX, 11, 6, 24, 98, 10),
                    DialogButton(u"Go", BS_PUSHBUTTON, 12, 6, 40, 50, 14)};
    return dialog;
}

struct Seen {
    LPARAM initParameter = 0;
    HFONT font = nullptr;
    std::vector<std::pair<int, int>> commands;  // id, notification
};
Seen seen;

INT_PTR TestProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            seen.initParameter = lParam;
            seen.font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
            return 1;
        case WM_COMMAND:
            seen.commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam) == IDOK ? 77 : 78);
            }
            return 1;
        default:
            return 0;
    }
}

std::function<void(HWND)> steps;
DeviceHarness* device = nullptr;

void WhenOpen(LPCWSTR windowClass, std::function<void(HWND)> then) {
    static std::u16string wanted;
    wanted = windowClass;
    steps = std::move(then);
    SetTimer(nullptr, 0, 5, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND window = device->FindTopLevel(wanted);
        if (window == nullptr || !IsWindowVisible(window)) {
            return;
        }
        KillTimer(nullptr, id);
        device->PumpUntilIdle();
        auto run = std::move(steps);
        run(window);
    });
}

POINT Centre(HWND window) {
    RECT box = device->ScreenRectOf(window);
    return {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

class DialogTest : public ::testing::Test {
  public:
    void SetUp() override {
        device = &harness;
        seen = Seen{};
        AddResource(GetModuleHandleW(nullptr), RT_DIALOG, kTestDialog, BuildDialog(TestSpec()));
        bool registered = RegisterTestClass(u"TestOwner", DefWindowProcW);
        ASSERT_TRUE(registered);
        owner = CreateWindowExW(0, u"TestOwner", u"Owner", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    }
    const DLGTEMPLATE* Template() {
        HINSTANCE module = GetModuleHandleW(nullptr);
        return static_cast<const DLGTEMPLATE*>(LockResource(
            LoadResource(module, FindResourceW(module, MAKEINTRESOURCEW(kTestDialog), RT_DIALOG))));
    }
    DeviceHarness harness;
    HWND owner = nullptr;
};

TEST_F(DialogTest, TheTemplateGivesTitleAndItemsAndEveryTruncationMakesNoDialog) {
    static std::u16string title, editClass, checkText;
    static int buttonWidth;
    WhenOpen(u"Dialog", [](HWND dialog) {
        WCHAR buffer[32];
        GetWindowTextW(dialog, buffer, 32);
        title = buffer;
        GetClassNameW(GetDlgItem(dialog, 10), buffer, 32);
        editClass = buffer;
        GetDlgItemTextW(dialog, 11, buffer, 32);
        checkText = buffer;
        RECT button{};
        GetWindowRect(GetDlgItem(dialog, 12), &button);
        buttonWidth = button.right - button.left;
        EndDialog(dialog, 1);
    });
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(), owner, TestProc, 0), 1);
    EXPECT_EQ(title, u"Test dialog");
    EXPECT_EQ(editClass, u"EDIT");
    EXPECT_EQ(checkText, u"Shared");
    EXPECT_EQ(buttonWidth, 75);  // 50 dialog units at 6-pixel base units

    std::vector<BYTE> bytes = BuildDialog(TestSpec());
    HINSTANCE module = GetModuleHandleW(nullptr);
    for (std::size_t size = 1; size < bytes.size(); ++size) {
        AddResource(module, RT_DIALOG, kTestDialog + 3,
                    std::vector<BYTE>(bytes.begin(), bytes.begin() + size));
        auto* cut = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(
            module, FindResourceW(module, MAKEINTRESOURCEW(kTestDialog + 3), RT_DIALOG))));
        EXPECT_EQ(DialogBoxIndirectParamW(nullptr, cut, owner, TestProc, 0), -1) << size;
    }
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, nullptr, owner, TestProc, 0), -1);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(DialogTest, ModalLoopDisablesTheOwnerAndEndsWithTheResult) {
    static bool ownerDisabled;
    static RECT dialogRect, editRect;
    static UINT checked;
    HWND theOwner = owner;
    WhenOpen(u"Dialog", [theOwner](HWND dialog) {
        ownerDisabled = !IsWindowEnabled(theOwner);
        dialogRect = device->ScreenRectOf(dialog);
        editRect = device->ScreenRectOf(GetDlgItem(dialog, 10));
        POINT box = Centre(GetDlgItem(dialog, 11));
        device->Tap(box.x, box.y);
        checked = IsDlgButtonChecked(dialog, 11);
        POINT go = Centre(GetDlgItem(dialog, 12));
        device->Tap(go.x, go.y);
        PostMessageW(dialog, WM_CLOSE, 0, 0);  // closing is the cancel key
    });
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(), owner, TestProc, 1234), 78);
    EXPECT_EQ(seen.initParameter, 1234);
    EXPECT_NE(seen.font, nullptr);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(checked, BST_CHECKED);
    // 160 x 118 dialog units at 6 x 13 pixels a base unit: 240 x 192 pixels below the task bar.
    EXPECT_EQ(dialogRect.right - dialogRect.left, 240);
    EXPECT_EQ(dialogRect.bottom - dialogRect.top, 192);
    EXPECT_EQ(editRect.left - dialogRect.left, 54);
    EXPECT_EQ(editRect.bottom - editRect.top, 23);
    std::vector<std::pair<int, int>> expected{{11, BN_CLICKED}, {12, BN_CLICKED}, {IDCANCEL, 0}};
    EXPECT_EQ(seen.commands, expected);
}

TEST_F(DialogTest, TheEditKeepsItsLimitAndReportsEachChange) {
    static std::u16string text;
    static int changes;
    WhenOpen(u"Dialog", [](HWND dialog) {
        HWND edit = GetDlgItem(dialog, 10);
        SendMessageW(edit, EM_LIMITTEXT, 5, 0);
        seen.commands.clear();
        POINT field = Centre(edit);
        device->Tap(field.x, field.y);
        device->Type(u"abcdefgh");
        device->PressKey(VK_LEFT);
        device->PressKey(VK_BACK);
        device->Type(u"X");
        WCHAR buffer[16];
        GetDlgItemTextW(dialog, 10, buffer, 16);
        text = buffer;
        changes = 0;
        for (auto& [id, code] : seen.commands) {
            changes += id == 10 && code == EN_CHANGE;
        }
        device->PressKey(VK_RETURN);
    });
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, Template(), owner, TestProc, 0), 77);
    EXPECT_EQ(text, u"abcXe");
    EXPECT_EQ(changes, 7);  // five letters typed, one deleted, one typed; the rest did not fit
}

TEST_F(DialogTest, MapDialogRectUsesSixByThirteenPixelBaseUnitsOnlyForDialogs) {
    static RECT atDefault;
    WhenOpen(u"Dialog", [](HWND dialog) {
        atDefault = {0, 0, 160, 118};
        MapDialogRect(dialog, &atDefault);
        EndDialog(dialog, 1);
    });
    DialogBoxIndirectParamW(nullptr, Template(), owner, TestProc, 0);
    EXPECT_EQ(atDefault.right, 240);
    EXPECT_EQ(atDefault.bottom, 192);
    RECT notDialog{0, 0, 4, 8};
    EXPECT_FALSE(MapDialogRect(owner, &notDialog));
}

TEST_F(DialogTest, AMessageBoxAnswersWithItsButtonOnTheUiThread) {
    WhenOpen(u"MessageBox", [](HWND box) {
        device->SaveScreenshot(ScreenshotPath("message_box.png"));
        POINT no = Centre(GetDlgItem(box, IDNO));
        device->Tap(no.x, no.y);
    });
    EXPECT_EQ(MessageBoxW(owner, u"Delete the server \"Office\"? This cannot be undone.", u"Tavrel",
                          MB_YESNO | MB_ICONQUESTION),
              IDNO);
    EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(DialogTest, AWorkersMessageBoxGoesWhenItsOwnerIsClosed) {
    std::atomic<int> result{-1};
    HWND theOwner = owner;
    std::thread worker([&] {
        result =
            MessageBoxW(theOwner, u"Connection reset by peer", u"Tavrel", MB_OK | MB_ICONERROR);
    });
    ASSERT_TRUE(
        harness.RunUntil([&] { return harness.FindTopLevel(u"MessageBox") != nullptr; }, 5000));
    EXPECT_EQ(result, -1);  // still waiting for an answer
    // Its text can be read back from the static with the id 0xFFFF, its caption is its title.
    HWND box = harness.FindTopLevel(u"MessageBox");
    EXPECT_EQ(harness.TextOf(harness.FindChild(box, 0xFFFF)), u"Connection reset by peer");
    EXPECT_EQ(harness.TextOf(box), u"Tavrel");
    DestroyWindow(owner);
    EXPECT_TRUE(harness.RunUntil(
        [&] { return result != -1 && harness.FindTopLevel(u"MessageBox") == nullptr; }, 5000));
    worker.join();
    EXPECT_EQ(result, 0);
}

TEST_F(DialogTest, AWorkersMessageBoxAnswersWithTheTappedButton) {
    std::atomic<int> result{-1};
    std::thread worker([&] { result = MessageBoxW(nullptr, u"Saved", u"Tavrel", MB_OK); });
    ASSERT_TRUE(
        harness.RunUntil([&] { return harness.FindTopLevel(u"MessageBox") != nullptr; }, 5000));
    POINT ok = Centre(GetDlgItem(harness.FindTopLevel(u"MessageBox"), IDOK));
    harness.Tap(ok.x, ok.y);
    worker.join();
    EXPECT_EQ(result, IDOK);
}

TEST(ClipboardTest, TextGoesInAndComesOutWhileOpen) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(OpenClipboard(nullptr));  // already open
    EXPECT_TRUE(EmptyClipboard());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    const char16_t text[] = u"hello";
    HLOCAL block = LocalAlloc(LMEM_FIXED, sizeof text);
    std::memcpy(block, text, sizeof text);
    EXPECT_EQ(SetClipboardData(1 /* CF_TEXT */, block), nullptr);
    EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), block);
    EXPECT_TRUE(CloseClipboard());
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);  // closed
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(GetClipboardData(CF_UNICODETEXT))),
              u"hello");
    EXPECT_TRUE(EmptyClipboard());  // frees the block
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(EmptyClipboard());
}

TEST(BeepTest, EachBeepIsCounted) {
    DeviceHarness harness;
    int before = harness.Beeps();
    EXPECT_TRUE(MessageBeep(MB_ICONERROR));
    EXPECT_TRUE(MessageBeep(0));
    EXPECT_EQ(harness.Beeps(), before + 2);
}

}  // namespace

namespace {

INT_PTR ComboProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        for (LPCWSTR text : {u"Events", u"Constant", u"5 minutes"}) {
            SendDlgItemMessageW(dialog, 20, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            SendDlgItemMessageW(dialog, 21, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
        SendDlgItemMessageW(dialog, 20, CB_SETITEMDATA, 1, 300);
        return 1;
    }
    if (message == WM_COMMAND) {
        seen.commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, IDOK);
        }
        return 1;
    }
    return 0;
}

TEST_F(DialogTest, ADropDownListOpensOnATapAndTheTappedItemIsChosen) {
    DialogDefinition dialog;
    dialog.style = WS_POPUP;
    dialog.title = u"Combos";
    dialog.width = 160, dialog.height = 118;
    dialog.items = {DialogCombo(CBS_DROPDOWNLIST, 20, 6, 6, 99, 78),
                    DialogCombo(CBS_DROPDOWN | CBS_SORT, 21, 6, 30, 99, 78)};
    AddResource(GetModuleHandleW(nullptr), RT_DIALOG, kTestDialog + 2, BuildDialog(dialog));
    HINSTANCE module = GetModuleHandleW(nullptr);
    auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(
        LoadResource(module, FindResourceW(module, MAKEINTRESOURCEW(kTestDialog + 2), RT_DIALOG))));
    static int chosen, sortedFirst;
    static LRESULT data;
    static std::u16string typed;
    static bool listShown, listGone;
    WhenOpen(u"Dialog", [](HWND dialog) {
        HWND list = GetDlgItem(dialog, 20);
        POINT field = Centre(list);
        device->Tap(field.x, field.y);
        HWND dropped = device->FindTopLevel(u"ComboLBox");
        listShown = dropped != nullptr;
        RECT rows = device->ScreenRectOf(dropped);
        device->Tap(rows.left + 10, rows.top + 1 + 18 + 9);  // the second row
        listGone = device->FindTopLevel(u"ComboLBox") == nullptr;
        chosen = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
        data = SendMessageW(list, CB_GETITEMDATA, chosen, 0);
        WCHAR first[32];
        SendDlgItemMessageW(dialog, 21, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
        sortedFirst = std::u16string(first) == u"5 minutes";
        POINT edit = Centre(GetWindow(GetDlgItem(dialog, 21), GW_CHILD));
        device->Tap(edit.x, edit.y);
        device->Type(u"F1");
        WCHAR text[32];
        GetDlgItemTextW(dialog, 21, text, 32);
        typed = text;
        device->SaveScreenshot(ScreenshotPath("combo_boxes.png"));
        device->PressKey(VK_RETURN);
    });
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, dialogTemplate, owner, ComboProc, 0), IDOK);
    EXPECT_TRUE(listShown);
    EXPECT_TRUE(listGone);
    EXPECT_EQ(chosen, 1);  // unsorted: in the order added
    EXPECT_EQ(data, 300);
    EXPECT_TRUE(sortedFirst);
    EXPECT_EQ(typed, u"F1");
    int selChanges = 0, editChanges = 0;
    for (auto& [id, code] : seen.commands) {
        selChanges += id == 20 && code == CBN_SELCHANGE;
        editChanges += id == 21 && code == CBN_EDITCHANGE;
    }
    EXPECT_EQ(selChanges, 1);
    EXPECT_EQ(editChanges, 2);
}

}  // namespace
