// A person records the macro Ctrl+Alt+Del from the server list's "Options" > "Keyboard macros",
// binds it to a new key from "Options" > "Defined keys", and the program's next load of its
// store finds both; the open viewer hears that the keys changed.
#include <widgets/client_window.h>
#include <app/server_list_window.h>
#include <app/start_up.h>
#include <keyboard/key_list.h>
#include <keyboard/macro_list.h>
#include <platform/menu.h>
#include <platform/resources.h>
#include <resources/resources.h>
#include <settings/server_list.h>

#include <gtest/gtest.h>

#include "../keyboard/recording_key_sink.h"
#include "keyboard_ui.h"
#include "temp_home.h"
#include "test_windows.h"

namespace {

constexpr int kMacroName = 1017, kSteps = 1016, kKeyCombo = 1000, kModeCombo = 1001;
constexpr int kKeyLabel = 1026, kMacroRadio = 1021, kMacroDownList = 1023;
constexpr int kModeDown = 0, kModeUp = 1;  // items of the mode drop-down

int settingChanges = 0;

LRESULT ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTINGCHANGE && wParam == 0 && lParam == 0) {  // not a rotation
        ++settingChanges;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class OpenViewer : public ServerViewer {
  public:
    explicit OpenViewer(HWND window) : window_(window) {}
    void ApplySettings(const ServerSettings*) override {}
    int GetConnectionState() const override { return kConnected; }
    HWND GetWindow() const override { return window_; }

  private:
    HWND window_;
};

TEST(KeyboardDialogsEndToEnd, AMacroRecordedAndBoundToAKeyIsInTheStoreAfterwards) {
    DeviceHarness device;
    TempHome home;
    InstallResources(GetModuleHandleW(nullptr));
    InitCommonControls();
    CheckSingleInstance(GetModuleHandleW(nullptr));
    ClientWindow::RegisterWindowClass(GetModuleHandleW(nullptr));
    {
        ServerList saved;
        ServerSettings settings = DefaultServerSettings();
        saved.Create(u"Open one", settings);
        saved.Create(u"Closed one", settings);
    }
    ServerListWindow window(u"Tavrel", nullptr);
    ASSERT_TRUE(RegisterTestClass(u"FakeViewer", ViewerProc));
    HWND viewerWindow = CreateWindowExW(0, u"FakeViewer", u"Viewer", 0, 0, 0, 10, 10, nullptr,
                                        nullptr, nullptr, nullptr);
    window.Servers().At(0)->viewer = new OpenViewer(viewerWindow);
    device.PumpUntilIdle();
    settingChanges = 0;

    KeyboardUi ui(device);
    StepScript script(device);
    auto step = [&](std::function<bool()> condition, std::function<void()> action) {
        script.Step(std::move(condition), std::move(action));
    };
    auto done = [&script] { script.Free(); };
    bool optionsEnabled = false;
    std::u16string listTitle;
    std::vector<std::u16string> shownSteps;
    auto openOptions = [&](int item) {
        step([] { return true; },
             [&] {
                 done();
                 ui.TapSoftKey(window.Handle(), true);
             });
        step([&] { return ui.Menus().size() == 1; },
             [&] { ui.TapMenuItem(ui.Menus()[0], 1); });  // "Options"
        step([&] { return ui.Menus().size() == 2; },
             [&, item] {
                 done();
                 HMENU options =
                     GetSubMenu(ClientWindow::MenuBarPopupByIndex(window.Handle(), 1), 1);
                 optionsEnabled = (GetMenuState(options, 32799, MF_BYCOMMAND) & MF_GRAYED) == 0 &&
                                  (GetMenuState(options, 32798, MF_BYCOMMAND) & MF_GRAYED) == 0;
                 ui.TapMenuItem(ui.Menus()[1], item);
             });
    };
    auto menuCommand = [&](std::u16string title, int item) {
        step([&, title] { return ui.Dialog(title) != nullptr && ui.Menus().empty(); },
             [&, title] {
                 done();
                 ui.TapSoftKey(ui.Dialog(title), true);
             });
        step([&] { return ui.Menus().size() == 1; },
             [&, item] { ui.TapMenuItem(ui.Menus()[0], item); });
    };
    // Step row: the key chosen from the drop-down (pages, item shown), the mode (or -1 to keep).
    auto setStep = [&](int row, int pages, int item, int mode) {
        step([&] { return ui.Dialog(u"Edit Macro") != nullptr; },
             [&, row, pages, item, mode] {
                 HWND list = GetDlgItem(ui.Dialog(u"Edit Macro"), kSteps);
                 ui.TapRow(list, row, 150);  // on the mode column of a row without the editors
                 ui.Choose(GetDlgItem(list, kKeyCombo), pages, item);
                 if (mode >= 0) {
                     ui.Choose(GetDlgItem(list, kModeCombo), 0, mode);
                 }
             });
    };

    // The macro list: "Add" makes "New Macro"; a tap on it opens the editor.
    openOptions(0);
    menuCommand(u"Macros", 0);  // "Add"
    step([&] { return ui.Dialog(u"Macros") != nullptr && ui.Menus().empty(); },
         [&] {
             HWND list = GetDlgItem(ui.Dialog(u"Macros"), 1018);
             listTitle = KeyboardUi::Cell(list, 0, 0);
             done();
             ui.TapRow(list, 0);
         });
    step([&] { return ui.Dialog(u"Edit Macro") != nullptr; },
         [&] { ui.TypeInto(GetDlgItem(ui.Dialog(u"Edit Macro"), kMacroName), u"Ctrl+Alt+Del"); });
    for (int i = 0; i < 5; ++i) {
        menuCommand(u"Edit Macro", 0);  // "Add": five steps "A", "Toggle"
    }
    // Four items show in the key drop-down: a page is four items.
    setStep(0, 7, 0, kModeDown);  // Control (Left), item 28
    setStep(1, 8, 2, kModeDown);  // Alt (Left), item 32: the last page starts at item 30
    setStep(2, 0, 3, -1);         // Delete, item 3, stays "Toggle"
    setStep(3, 8, 2, kModeUp);
    setStep(4, 7, 0, kModeUp);
    step([&] { return ui.Dialog(u"Edit Macro") != nullptr; },
         [&] {
             HWND dialog = ui.Dialog(u"Edit Macro");
             HWND list = GetDlgItem(dialog, kSteps);
             ui.TapRow(list, 0, 150);  // the last row's edits are committed by leaving it
             for (int row = 0; row < KeyboardUi::Rows(list); ++row) {
                 shownSteps.push_back(KeyboardUi::Cell(list, row, 0) + u" " +
                                      KeyboardUi::Cell(list, row, 1));
             }
             device.SaveScreenshot(ScreenshotPath("macro_editor_tall.png"));
             device.Rotate();
             device.SaveScreenshot(ScreenshotPath("macro_editor_wide.png"));
             device.Rotate();
             ui.TapSoftKey(dialog, false);  // "Done"
         });
    std::u16string renamedRow;
    step([&] { return ui.Dialog(u"Macros") != nullptr; },
         [&] {
             HWND dialog = ui.Dialog(u"Macros");
             renamedRow = KeyboardUi::Cell(GetDlgItem(dialog, 1018), 0, 0);
             device.SaveScreenshot(ScreenshotPath("macro_list_tall.png"));
             device.Rotate();
             device.SaveScreenshot(ScreenshotPath("macro_list_wide.png"));
             device.Rotate();
             ui.TapSoftKey(dialog, false);  // "Done"
         });

    // The key list: "Add" makes "New Key"; the editor binds it to the macro.
    bool macroListedForKey = false;
    step([&] { return ui.Dialog(u"Macros") == nullptr && ui.Menus().empty(); }, [] {});
    openOptions(1);
    menuCommand(u"Macros", 0);  // the key list shares the list dialog's title
    step([&] { return ui.Dialog(u"Macros") != nullptr && ui.Menus().empty(); },
         [&] {
             done();
             ui.TapRow(GetDlgItem(ui.Dialog(u"Macros"), 1018), 0);
         });
    step([&] { return ui.Dialog(u"Edit Key") != nullptr; },
         [&] {
             HWND dialog = ui.Dialog(u"Edit Key");
             ui.TypeInto(GetDlgItem(dialog, kKeyLabel), u"CAD");
             ui.TapCenter(GetDlgItem(dialog, kMacroRadio));
             ui.Choose(GetDlgItem(dialog, kMacroDownList), 0, 1);  // "(None)", "Ctrl+Alt+Del"
             macroListedForKey =
                 KeyboardUi::Text(GetDlgItem(dialog, kMacroDownList)) == u"Ctrl+Alt+Del";
             device.SaveScreenshot(ScreenshotPath("key_editor_tall.png"));
             device.Rotate();
             device.SaveScreenshot(ScreenshotPath("key_editor_wide.png"));
             device.Rotate();
             ui.TapSoftKey(dialog, false);  // "Done"
         });
    step([&] { return ui.Dialog(u"Macros") != nullptr; },
         [&] {
             device.SaveScreenshot(ScreenshotPath("key_list_tall.png"));
             device.Rotate();
             device.SaveScreenshot(ScreenshotPath("key_list_wide.png"));
             device.Rotate();
             ui.TapSoftKey(ui.Dialog(u"Macros"), false);
         });
    ASSERT_TRUE(script.Run(30000));

    EXPECT_TRUE(optionsEnabled) << "Keyboard macros and Defined keys are offered";
    EXPECT_EQ(listTitle, u"New Macro");
    EXPECT_EQ(shownSteps, (std::vector<std::u16string>{
                              u"(Control (Left)) Down", u"(Alt (Left)) Down", u"(Delete) Toggle",
                              u"(Alt (Left)) Up", u"(Control (Left)) Up"}));
    EXPECT_EQ(renamedRow, u"Ctrl+Alt+Del");
    EXPECT_TRUE(macroListedForKey);
    EXPECT_EQ(settingChanges, 1) << "the open viewer, once; the closed server has none";

    // What the program loads the next time.
    MacroList macros;
    macros.LoadAll();
    ASSERT_EQ(macros.Items().size(), 1u);
    std::unique_ptr<Macro> macro = FindMacro(macros, macros.Items()[0].Id);
    ASSERT_TRUE(macro);
    EXPECT_EQ(std::u16string(macro->Title), u"Ctrl+Alt+Del");
    RecordingKeySink sink;
    macro->Play(sink);
    EXPECT_EQ(sink.events,
              (std::vector<RecordedKeyEvent>{Press(0xFFE3), Press(0xFFE9), Press(0xFFFF),
                                             Release(0xFFFF), Release(0xFFE9), Release(0xFFE3)}));
    KeyList keys;
    keys.LoadAll();
    ASSERT_EQ(keys.Keys().size(), 1u);
    const KeyDef& key = keys.Keys()[0];
    EXPECT_EQ(std::u16string(key.Title), u"CAD");
    EXPECT_EQ(key.Type, kMacroKey);
    EXPECT_EQ(std::u16string(key.MacroDown), std::u16string(macro->Id));
    EXPECT_EQ(key.MacroUp[0], 0);

    DestroyWindow(viewerWindow);
    ClientWindow::UnregisterWindowClass(GetModuleHandleW(nullptr));
}

}  // namespace
