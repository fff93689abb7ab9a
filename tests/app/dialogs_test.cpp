// The About box and the password prompt driven on the test device as a person would, the
// re-layout between a dialog's templates, and the help command line.
#include <app/about_dialog.h>
#include <app/dialog_layout.h>
#include <widgets/help.h>
#include <app/modal_dialog.h>
#include <app/password_prompt.h>
#include <platform/commctrl.h>
#include <platform/dialog.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>
#include "test_windows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace {

// While a modal dialog runs its own loop, a timer finds it and runs the test's steps once.
std::function<void(HWND)> steps;
DeviceHarness* activeDevice = nullptr;

void WhenDialogOpens(std::function<void(HWND)> then) {
    steps = std::move(then);
    SetTimer(nullptr, 0, 5, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND dialog = activeDevice->FindTopLevel(u"Dialog");
        if (dialog == nullptr || !IsWindowVisible(dialog)) {
            return;
        }
        KillTimer(nullptr, id);
        activeDevice->PumpUntilIdle();
        auto run = std::move(steps);
        run(dialog);
    });
}

HWND MakeOwner() {
    bool registered = RegisterTestClass(u"DialogOwner", DefWindowProcW, WhiteBackground());
    EXPECT_TRUE(registered);
    return CreateWindowExW(0, u"DialogOwner", u"Owner", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
}

bool EqualRectCheck(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct Placement {
    RECT icon, name, version;
};

Placement PlacementOf(DeviceHarness& device, HWND dialog) {
    return {device.ScreenRectOf(GetDlgItem(dialog, 201)),
            device.ScreenRectOf(GetDlgItem(dialog, 202)),
            device.ScreenRectOf(GetDlgItem(dialog, 203))};
}

TEST(AboutDialogTest, TheVersionLineMovesBesideTheIconOnAWideScreenAndBelowItWhenTall) {
    DeviceHarness device(DeviceScreenConfig{240, 320, 96});
    activeDevice = &device;
    InstallResources(GetModuleHandleW(nullptr));
    HWND owner = MakeOwner();
    static Placement tall, wide, back;
    static bool ownerDisabled;
    static HWND seenDialog;
    WhenDialogOpens([&device, owner](HWND dialog) {
        seenDialog = dialog;
        ownerDisabled = !IsWindowEnabled(owner);
        tall = PlacementOf(device, dialog);
        device.SaveScreenshot(ScreenshotPath("about_tall.png"));
        device.Rotate();
        wide = PlacementOf(device, dialog);
        device.SaveScreenshot(ScreenshotPath("about_wide.png"));
        device.Rotate();
        back = PlacementOf(device, dialog);
        device.Tap(240 - 12, 13);  // the task bar's "ok"
    });
    AboutDialog::Run(owner);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(IsWindow(seenDialog));
    // Tall (template 5): the version line below the icon, at 6 x 30 dialog units = 9 x 49 pixels.
    EXPECT_GE(tall.version.top, tall.icon.bottom);
    EXPECT_EQ(tall.version.left - tall.icon.left, 0);
    EXPECT_EQ(tall.version.top - tall.icon.top, 49 - 10);
    EXPECT_EQ(tall.name.right - tall.name.left, 126);  // 84 units
    // Wide (template 106): beside the icon, at 33 units from the left.
    EXPECT_LT(wide.version.top, wide.icon.bottom);
    EXPECT_GE(wide.version.left, wide.icon.right);
    EXPECT_EQ(wide.version.left - wide.icon.left, 50 - 9);
    EXPECT_EQ(back.version.top, tall.version.top);
    DestroyWindow(owner);
}

TEST(AboutDialogTest, OnASquareScreenTheSquareTemplateIsUsed) {
    DeviceHarness device(DeviceScreenConfig{240, 240, 96});
    activeDevice = &device;
    InstallResources(GetModuleHandleW(nullptr));
    HWND owner = MakeOwner();
    static Placement square;
    static RECT dialogArea;
    WhenDialogOpens([&device](HWND dialog) {
        square = PlacementOf(device, dialog);
        dialogArea = device.ScreenRectOf(dialog);
        device.SaveScreenshot(ScreenshotPath("about_square.png"));
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    AboutDialog::Run(owner);
    // Template 105: the name at 33, 12 and the version at 6, 27 (below the icon's 6 .. 28).
    EXPECT_EQ(square.name.top - square.icon.top, 20 - 10);
    EXPECT_EQ(square.version.top - square.icon.top, 44 - 10);
    EXPECT_EQ(square.version.left, square.icon.left);
    // Full screen between the task bar and the empty soft-key bar.
    EXPECT_EQ(dialogArea.top, 26);
    EXPECT_EQ(dialogArea.right, 240);
    EXPECT_EQ(dialogArea.bottom, 240 - 26);
    DestroyWindow(owner);
}

TEST(PasswordPromptTest, TypedCharactersAreHiddenAndTheTaskBarOkReturnsThem) {
    DeviceHarness device;
    activeDevice = &device;
    InstallResources(GetModuleHandleW(nullptr));
    HWND owner = MakeOwner();
    static std::u16string shownText;
    static std::u16string title;
    WhenDialogOpens([&device](HWND dialog) {
        title = device.TextOf(dialog);
        HWND edit = GetDlgItem(dialog, 1007);
        RECT field = device.ScreenRectOf(edit);
        device.Tap((field.left + field.right) / 2, (field.top + field.bottom) / 2);
        device.Type(u"se");
        device.Type(u"cret");
        device.PressKey(VK_BACK);
        device.Type(u"t!");
        shownText = device.TextOf(edit);
        device.SaveScreenshot(ScreenshotPath("password.png"));
        device.Tap(240 - 12, 13);
    });
    WCHAR password[260] = u"old";
    EXPECT_TRUE(PasswordPrompt::Run(owner, password, 260));
    EXPECT_EQ(title, u"Password");
    EXPECT_EQ(std::u16string(password), u"secret!");
    EXPECT_EQ(shownText, u"secret!");  // the edit keeps the text; only its drawing hides it

    // A small destination keeps capacity - 1 characters; an empty field gives an empty password.
    WhenDialogOpens([&device](HWND dialog) {
        SetDlgItemTextW(dialog, 1007, u"abcdef");
        device.Tap(240 - 12, 13);
    });
    WCHAR small[4] = u"";
    EXPECT_TRUE(PasswordPrompt::Run(owner, small, 4));
    EXPECT_EQ(std::u16string(small), u"abc");
    WhenDialogOpens([&device](HWND) { device.PressKey(VK_RETURN); });
    EXPECT_TRUE(PasswordPrompt::Run(owner, password, 260));
    EXPECT_EQ(std::u16string(password), u"");
    DestroyWindow(owner);
}

TEST(DialogLayoutTest, AMissingTemplateOrAMissingControlMakesTheRelayoutFail) {
    DeviceHarness device;
    activeDevice = &device;
    InstallResources(GetModuleHandleW(nullptr));
    static bool missingTemplate, toOtherDialog, toSibling;
    static RECT before, after;
    WhenDialogOpens([&device](HWND dialog) {
        HINSTANCE module = GetModuleHandleW(nullptr);
        missingTemplate = RelayoutDialog(module, dialog, 9999);
        before = device.ScreenRectOf(GetDlgItem(dialog, 203));
        toOtherDialog = RelayoutDialog(module, dialog, IDD_PASSWORD);  // no control 0xFFFF here
        toSibling = RelayoutDialog(module, dialog, IDD_ABOUT_WIDE);
        after = device.ScreenRectOf(GetDlgItem(dialog, 203));
        EndDialog(dialog, IDOK);
    });
    AboutDialog::Run(nullptr);
    EXPECT_FALSE(missingTemplate);
    EXPECT_FALSE(toOtherDialog);
    EXPECT_TRUE(toSibling);
    EXPECT_NE(before.left, after.left);
}

TEST(HelpTest, TheCommandLineNamesTheFileAndTheTopic) {
    DeviceHarness device;
    device.ClearStartedProcesses();
    ShowHelp(nullptr);
    EXPECT_TRUE(device.StartedProcesses().empty());
    ShowHelp(u"Servers");
    ASSERT_EQ(device.StartedProcesses().size(), 1u);
    EXPECT_EQ(device.StartedProcesses()[0], u"peghelp.exe|file:Tavrel.htm#Servers");
    std::u16string longTopic(400, u'x');
    ShowHelp(longTopic.c_str());
    ASSERT_EQ(device.StartedProcesses().size(), 2u);
    EXPECT_EQ(device.StartedProcesses()[1].size(), std::u16string(u"peghelp.exe|").size() + 259);
}

}  // namespace

namespace {

// Rows as the macro editor (list 1016: two columns) and the list dialog (list 1018: one) show them.
void FillList(HWND list) {
    if (list == nullptr) {
        return;
    }
    RECT client;
    GetClientRect(list, &client);
    bool twoColumns = GetDlgCtrlID(list) == 1016;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{LVCF_TEXT | LVCF_WIDTH,
                     0,
                     twoColumns ? 65 * client.right / 100 : client.right,
                     const_cast<LPWSTR>(twoColumns ? u"Character" : u"Item"),
                     0,
                     0};
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = 30 * client.right / 100;
    column.pszText = const_cast<LPWSTR>(u"Mode");
    if (twoColumns) {
        SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL,
                     reinterpret_cast<LPARAM>(ImageList_Create(1, 22, ILC_COLOR, 0, 1)));
    }
    const char16_t* rows[][2] = {
        {u"A", u"Toggle"}, {u"(Return)", u"Down"}, {u"(Control (Left))", u"Up"},
        {u"New Key", u""}, {u"Ctrl-Alt-Del", u""}, {u"(Windows (Right))", u"Down"}};
    int row = 0;
    for (const auto& texts : rows) {
        if (twoColumns == (texts[1][0] == 0)) {
            continue;
        }
        LVITEMW item{LVIF_TEXT, row, 0, 0, 0, const_cast<LPWSTR>(texts[0]), 0, 0, 0, 0};
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<LPWSTR>(texts[1]);
        SendMessageW(list, LVM_SETITEMTEXTW, row++, reinterpret_cast<LPARAM>(&item));
    }
    LVITEMW select{0, 0, 0, LVIS_SELECTED, LVIS_SELECTED, nullptr, 0, 0, 0, 0};
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
}

INT_PTR FullScreenProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        FillList(GetDlgItem(dialog, 1016));
        FillList(GetDlgItem(dialog, 1018));
        SHINITDLGINFO info{SHIDIM_FLAGS, dialog,
                           SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_EMPTYMENU};
        SHInitDialog(&info);
        for (int id : {1005, 1009, 1010, 1022, 1023, 1028}) {
            SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(u"PocketPC Native video"));
            SendDlgItemMessageW(dialog, id, CB_SETCURSEL, 0, 0);
        }
        return 1;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, IDOK);
        return 1;
    }
    return 0;
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) != FALSE;
}

class EveryTemplateTest : public ::testing::TestWithParam<DeviceScreenConfig> {};

TEST_P(EveryTemplateTest, EachControlLiesInsideItsDialogWithoutOverlappingAnother) {
    DeviceHarness device(GetParam());
    activeDevice = &device;
    InstallResources(GetModuleHandleW(nullptr));
    for (UINT id :
         {IDD_PASSWORD, IDD_ABOUT_SQUARE, IDD_ABOUT_TALL, IDD_ABOUT_WIDE, IDD_SERVER_EDITOR,
          IDD_KEY_EDITOR, IDD_DEFINE_KEYS, IDD_MACRO_EDITOR_SQUARE, IDD_MACRO_EDITOR_TALL,
          IDD_MACRO_EDITOR_WIDE, IDD_LIST_SQUARE, IDD_LIST_TALL, IDD_LIST_WIDE}) {
        static int controls;
        static bool inside, apart;
        static UINT current;
        current = id;
        WhenDialogOpens([&device](HWND dialog) {
            RECT area = device.ScreenRectOf(dialog);
            std::vector<RECT> boxes;
            inside = apart = true;
            DeviceScreenConfig screen = CurrentDeviceScreen();
            std::string size = std::to_string(screen.width) + "x" + std::to_string(screen.height);
            // A list template is used on its own screen shape only (its dialog re-lays itself out
            // by shape), so only there must it fit. On the square screen the lists of 142 and 145
            // end at 117 dialog units, 190 pixels, 2 below the top of the soft-key bar: their
            // bottom border line lies under the bar.
            bool matches = (current == IDD_MACRO_EDITOR_SQUARE || current == IDD_LIST_SQUARE)
                               ? screen.width == screen.height
                           : (current == IDD_MACRO_EDITOR_TALL || current == IDD_LIST_TALL)
                               ? screen.width < screen.height
                           : (current == IDD_MACRO_EDITOR_WIDE || current == IDD_LIST_WIDE)
                               ? screen.width > screen.height
                               : false;
            bool listTemplate = current >= IDD_MACRO_EDITOR_SQUARE && current <= IDD_LIST_WIDE;
            for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                RECT box = device.ScreenRectOf(child);
                RECT clipped;
                IntersectRect(&clipped, &box, &area);
                if (listTemplate && clipped.bottom >= box.bottom - 2) {
                    clipped.bottom = box.bottom;
                }
                inside = inside && (EqualRectCheck(clipped, box) || (listTemplate && !matches));
                for (const RECT& other : boxes) {
                    if (Overlap(box, other)) {
                        ADD_FAILURE()
                            << "template " << current << ": control " << GetDlgCtrlID(child)
                            << " at " << box.left << "," << box.top << "-" << box.right << ","
                            << box.bottom << " overlaps " << other.left << "," << other.top << "-"
                            << other.right << "," << other.bottom;
                        apart = false;
                    }
                }
                boxes.push_back(box);
            }
            controls = static_cast<int>(boxes.size());
            if (current == IDD_SERVER_EDITOR || current == IDD_KEY_EDITOR) {
                device.SaveScreenshot(ScreenshotPath(
                    std::string(current == IDD_SERVER_EDITOR ? "server_editor_" : "key_editor_") +
                    size + ".png"));
            }
            if (matches) {
                bool macro = current >= IDD_MACRO_EDITOR_SQUARE && current <= IDD_MACRO_EDITOR_WIDE;
                device.SaveScreenshot(ScreenshotPath(
                    std::string(macro ? "macro_editor_" : "list_dialog_") + size + ".png"));
            }
            device.Tap(CurrentDeviceScreen().width - 12, 13);
        });
        EXPECT_EQ(RunModalDialog(id, nullptr, FullScreenProc, 0), IDOK) << id;
        EXPECT_TRUE(inside) << id;
        EXPECT_TRUE(apart) << id;
        int expected = id == IDD_PASSWORD                             ? 3
                       : id == IDD_SERVER_EDITOR                      ? 13
                       : id == IDD_KEY_EDITOR                         ? 11
                       : id == IDD_DEFINE_KEYS                        ? 0
                       : id >= IDD_LIST_SQUARE && id <= IDD_LIST_WIDE ? 1
                                                                      : 3;
        EXPECT_EQ(controls, expected) << id;
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, EveryTemplateTest,
                         ::testing::Values(DeviceScreenConfig{240, 320, 96},
                                           DeviceScreenConfig{320, 240, 96},
                                           DeviceScreenConfig{240, 240, 96}));

}  // namespace
