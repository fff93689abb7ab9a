// A full-screen dialog set up the way the editors set themselves up (SHInitDialog with the empty
// bar, then the soft-key bar of a menu-bar record), and help asked for while windows are open:
// WM_HELP reaches the focus, and what no window answers goes on to the parent and the owner.
#include <resources/dialog_builder.h>
#include <resources/resources.h>
#include "test_windows.h"

#include <platform/dialog.h>
#include <platform/menu.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <platform_testing/device_harness.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr unsigned kShellDialog = 7101;

std::vector<UINT> commands;
std::vector<std::pair<HWND, int>> helps;  // the window that answered, the control asked about
DeviceHarness* harness = nullptr;
bool dialogAnswersHelp = true;
std::function<void(HWND)> whenOpen;

INT_PTR EditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SHINITDLGINFO init{SHIDIM_FLAGS, dialog, 0x2C};  // full screen, panel down, empty bar
            SHInitDialog(&init);
            SHMENUBARINFO bar{};
            bar.cbSize = sizeof bar;
            bar.hwndParent = dialog;
            bar.nToolBarId = IDR_MACRO_EDITOR_BAR;
            bar.hInstRes = GetModuleHandleW(nullptr);
            EXPECT_TRUE(SHCreateMenuBar(&bar));
            PostMessageW(dialog, WM_USER, 0, 0);
            return TRUE;
        }
        case WM_USER:
            whenOpen(dialog);
            return TRUE;
        case WM_COMMAND:
            commands.push_back(LOWORD(wParam));
            if (LOWORD(wParam) == 40402) {  // "Done"
                EndDialog(dialog, 1);
            }
            return TRUE;
        case WM_HELP: {
            if (!dialogAnswersHelp) {
                return FALSE;
            }
            auto* info = reinterpret_cast<HELPINFO*>(lParam);
            EXPECT_EQ(info->iContextType, HELPINFO_WINDOW);
            EXPECT_EQ(info->hItemHandle, GetDlgItem(dialog, info->iCtrlId));
            helps.emplace_back(dialog, info->iCtrlId);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

LRESULT OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP) {
        helps.emplace_back(window, reinterpret_cast<HELPINFO*>(lParam)->iCtrlId);
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class DialogShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        HINSTANCE module = GetModuleHandleW(nullptr);
        InstallResources(module);
        DialogDefinition editor;
        editor.style = WS_POPUP;
        editor.title = u"Edit Macro";
        editor.width = 160, editor.height = 118;
        editor.items = {DialogEdit(ES_AUTOHSCROLL, 1001, 6, 6, 100, 14)};
        AddResource(module, RT_DIALOG, kShellDialog, BuildDialog(editor));
        bool registered = RegisterTestClass(u"HelpOwner", OwnerProc);
        ASSERT_TRUE(registered);
        owner = CreateWindowExW(0, u"HelpOwner", u"Owner", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
        commands.clear();
        helps.clear();
        dialogAnswersHelp = true;
        harness = &device;
        device.PumpUntilIdle();
    }
    INT_PTR Run(std::function<void(HWND)> steps) {
        whenOpen = std::move(steps);
        HINSTANCE module = GetModuleHandleW(nullptr);
        auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(
            module, FindResourceW(module, MAKEINTRESOURCEW(kShellDialog), RT_DIALOG))));
        return DialogBoxIndirectParamW(module, dialogTemplate, owner, EditorProc, 0);
    }

    DeviceHarness device;
    HWND owner = nullptr;
};

TEST_F(DialogShellTest, TheRecordsSoftKeysSendTheirCommandsAndTheMenuOpensAboveTheBar) {
    EXPECT_EQ(Run([](HWND dialog) {
                  HWND bar = SHFindMenuBar(dialog);
                  ASSERT_NE(bar, nullptr);
                  // The named bar took the empty one's place at the bottom; the dialog ends above.
                  EXPECT_NE(SendMessageW(bar, SHCMBM_GETMENU, 0, 0), 0);
                  EXPECT_EQ(harness->ScreenRectOf(bar).top, 294);
                  EXPECT_EQ(harness->ScreenRectOf(dialog).bottom, 294);
                  // "Menu" opens the record's pop-up above the bar; "Move down" is its fifth item.
                  SetTimer(nullptr, 0, 5, [](HWND, UINT, UINT_PTR id, DWORD) {
                      HWND menu = harness->FindTopLevel(u"MNU");
                      if (menu == nullptr) {
                          return;
                      }
                      KillTimer(nullptr, id);
                      RECT box = harness->ScreenRectOf(menu);
                      EXPECT_EQ(box.bottom, 294);
                      harness->Tap((box.left + box.right) / 2, box.top + 1 + 21 * 3 + 7 + 10);
                  });
                  harness->Tap(180, 307);
                  harness->Tap(40, 307);  // "Done"
              }),
              1);
    EXPECT_EQ(commands, (std::vector<UINT>{32815, 40402}));
}

TEST_F(DialogShellTest, HelpGoesToTheFocusAndUnansweredHelpToTheOwner) {
    device.RequestHelp();  // nothing open but the owner: the foreground window hears it
    Run([](HWND dialog) {
        RECT field = harness->ScreenRectOf(GetDlgItem(dialog, 1001));
        harness->Tap(field.left + 4, field.top + 4);
        harness->RequestHelp();  // from the edit, answered by the dialog
        dialogAnswersHelp = false;
        harness->RequestHelp();  // the dialog leaves it: its owner answers
        EndDialog(dialog, 1);
    });
    ASSERT_EQ(helps.size(), 3u);
    EXPECT_EQ(helps[0], std::make_pair(owner, 0));
    EXPECT_NE(helps[1].first, owner);
    EXPECT_EQ(helps[1].second, 1001);
    EXPECT_EQ(helps[2], std::make_pair(owner, 1001));
}

}  // namespace
