// The macro editor driven on the test device as a person would: the in-place editors over the
// selected row, deleting and moving rows under them, scrolling, the step limit, and the steps
// the rows hold however the editor ends.
#include <app/macro_editor.h>
#include <platform/commctrl.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <resources/resources.h>

#include <gtest/gtest.h>

#include "keyboard_ui.h"
#include "temp_home.h"

namespace {

constexpr int kSteps = 1016, kKeyCombo = 1000, kModeCombo = 1001;
constexpr UINT kAdd = 32812, kDelete = 32813, kMoveUp = 32816, kMoveDown = 32815;

class MacroEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallResources(GetModuleHandleW(nullptr));
        InitCommonControls();
        owner = MakeDialogOwner();
    }
    void TearDown() override { DestroyWindow(owner); }

    static Macro WithSteps(std::initializer_list<MacroEntry> steps) {
        Macro macro;
        lstrcpynW(macro.Title, u"Test", kTextCapacity);
        macro.Entries = steps;
        return macro;
    }
    HWND Editor() const { return ui.Dialog(u"Edit Macro"); }
    HWND Steps() const { return GetDlgItem(Editor(), kSteps); }
    HWND KeyCombo() const { return GetDlgItem(Steps(), kKeyCombo); }
    // "Menu" > item, as a step; items below the separator are counted from it.
    void MenuStep(StepScript& script, int item, bool belowSeparator) {
        script.Step([this] { return Editor() != nullptr && ui.Menus().empty(); },
                    [this, &script] {
                        script.Free();
                        ui.TapSoftKey(Editor(), true);
                    });
        script.Step([this] { return ui.Menus().size() == 1; },
                    [this, item, belowSeparator] {
                        if (belowSeparator) {
                            TapMenuItemBelowSeparator(device, ui.Menus()[0], item);
                        } else {
                            ui.TapMenuItem(ui.Menus()[0], item);
                        }
                    });
    }

    DeviceHarness device;
    TempHome home;
    KeyboardUi ui{device};
    HWND owner = nullptr;
};

TEST_F(MacroEditorTest, EditsGoIntoTheirOwnRowEvenAfterRowsUnderTheEditorsAreDeletedOrMoved) {
    Macro macro = WithSteps(
        {{'A', kMacroToggle}, {'B', kMacroToggle}, {'C', kMacroToggle}, {'D', kMacroToggle}});
    StepScript script(device);
    bool grayedAtStart = false, firstRowGraysMoveUp = false, editorsOnRow = false;
    std::u16string typed, tabRow;
    auto ready = [this] { return Editor() != nullptr && ui.Menus().empty(); };
    script.Step(ready, [&] {
        grayedAtStart = !KeyboardUi::MenuEnabled(Editor(), kDelete) &&
                        !KeyboardUi::MenuEnabled(Editor(), kMoveUp) &&
                        !KeyboardUi::MenuEnabled(Editor(), kMoveDown) &&
                        KeyboardUi::MenuEnabled(Editor(), kAdd);
        ui.TapRow(Steps(), 0, 200);
        firstRowGraysMoveUp = !KeyboardUi::MenuEnabled(Editor(), kMoveUp) &&
                              KeyboardUi::MenuEnabled(Editor(), kMoveDown);
        editorsOnRow = IsWindowVisible(KeyCombo()) &&
                       device.ScreenRectOf(KeyCombo()).top == ui.RowOnScreen(Steps(), 0).top;
        ui.TypeInto(KeyCombo(), u"x");  // row 0 is being edited to X ...
        typed = KeyboardUi::Text(KeyCombo());
    });
    MenuStep(script, 1, false);  // ... and is deleted: B is row 0 now
    script.Step(ready, [&] {
        ui.TapRow(Steps(), 1, 200);  // C: choose Tab and Down
        ui.Choose(KeyCombo(), 0, 0);
        ui.Choose(GetDlgItem(Steps(), kModeCombo), 0, 0);
        ui.TapRow(Steps(), 0, 200);  // B
        tabRow = KeyboardUi::Cell(Steps(), 1, 0) + u" " + KeyboardUi::Cell(Steps(), 1, 1);
        ui.TypeInto(KeyCombo(), u"q");  // B becomes Q ...
    });
    MenuStep(script, 3, true);  // ... and moves down ("Move down", the fourth item)
    script.Step(ready, [&] {
        ui.TapRow(Steps(), 0, 200);  // (Tab) is row 0 now: it must not take the Q
        ui.TapRow(Steps(), 2, 200);
        ui.TapSoftKey(Editor(), false);  // "Done"
    });
    script.Start();
    bool confirmed = MacroEditor::Edit(macro, owner);
    script.Stop();
    ASSERT_TRUE(script.Done());
    EXPECT_TRUE(confirmed);
    EXPECT_TRUE(grayedAtStart);
    EXPECT_TRUE(firstRowGraysMoveUp);
    EXPECT_TRUE(editorsOnRow);
    EXPECT_EQ(typed, u"X");
    EXPECT_EQ(tabRow, u"(Tab) Down");
    EXPECT_EQ(macro.Entries, (std::vector<MacroEntry>{
                                 {0xFF09, kMacroDown}, {'Q', kMacroToggle}, {'D', kMacroToggle}}));
    EXPECT_EQ(MacroEditor::LiveRowSteps(), 0);
    EXPECT_EQ(macro.EditorWindow, nullptr);
}

TEST_F(MacroEditorTest, TheEditorsFollowTheSelectedRowWhenTheListHasScrolled) {
    Macro macro;
    macro.Entries.assign(20, MacroEntry{'Z', kMacroUp});
    StepScript script(device);
    int comboTop = 0, rowTop = -1, topRow = 0;
    script.Step([this] { return Editor() != nullptr; },
                [&] {
                    ui.TapRow(Steps(), 2, 200);
                    RECT list = device.ScreenRectOf(Steps());
                    device.Tap(list.right - 5, list.bottom - 5);  // the scroll bar's down arrow
                    device.Tap(list.right - 5, list.bottom - 5);
                    topRow = static_cast<int>(SendMessageW(Steps(), LVM_GETTOPINDEX, 0, 0));
                    comboTop = device.ScreenRectOf(KeyCombo()).top;
                    rowTop = ui.RowOnScreen(Steps(), 2).top;
                    ui.TapSoftKey(Editor(), false);
                });
    script.Start();
    MacroEditor::Edit(macro, owner);
    script.Stop();
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(topRow, 2);
    EXPECT_EQ(comboTop, rowTop);
    EXPECT_EQ(macro.Entries.size(), 20u);
}

TEST_F(MacroEditorTest, AMacroHoldsAtMostTheStepsTheStoreCanKeep) {
    Macro macro;
    macro.Entries.assign(kMaxMacroEntries - 1, MacroEntry{'S', kMacroToggle});
    StepScript script(device);
    bool addOfferedBelow = false, addGrayedAt = false;
    int rowsAfterRefusedAdd = 0;
    script.Step([this] { return Editor() != nullptr; },
                [&] { addOfferedBelow = KeyboardUi::MenuEnabled(Editor(), kAdd); });
    MenuStep(script, 0, false);  // "Add": the last step there is room for
    script.Step([this] { return Editor() != nullptr && ui.Menus().empty(); },
                [&] {
                    addGrayedAt = !KeyboardUi::MenuEnabled(Editor(), kAdd);
                    SendMessageW(Editor(), WM_COMMAND, kAdd, 0);  // as a hardware key might
                    rowsAfterRefusedAdd = KeyboardUi::Rows(Steps());
                    ui.TapSoftKey(Editor(), false);
                });
    script.Start();
    MacroEditor::Edit(macro, owner);
    script.Stop();
    ASSERT_TRUE(script.Done());
    EXPECT_TRUE(addOfferedBelow);
    EXPECT_TRUE(addGrayedAt);
    EXPECT_EQ(rowsAfterRefusedAdd, kMaxMacroEntries);
    ASSERT_EQ(macro.Entries.size(), static_cast<std::size_t>(kMaxMacroEntries));
    EXPECT_EQ(macro.Entries.back(), (MacroEntry{0x41, kMacroToggle}));
    std::unique_ptr<SettingsKey> collection(OpenSettingsCollection(u"Macros"));
    EXPECT_TRUE(macro.Save(*collection)) << "the store takes what the editor allows";
}

TEST_F(MacroEditorTest, TheRowsStepsAreFreedWhenTheEditorIsClosedOrItsOwnerGoes) {
    Macro closed = WithSteps({{'A', kMacroDown}, {'A', kMacroUp}});
    StepScript script(device);
    script.Step([this] { return Editor() != nullptr; },
                [&] {
                    ui.TapRow(Steps(), 1, 200);
                    ui.TypeInto(KeyCombo(), u"b");
                    PostMessageW(Editor(), WM_CLOSE, 0, 0);  // no cancel: closing keeps the edits
                });
    script.Start();
    EXPECT_TRUE(MacroEditor::Edit(closed, owner));
    script.Stop();
    EXPECT_EQ(closed.Entries, (std::vector<MacroEntry>{{'A', kMacroDown}, {'B', kMacroUp}}));
    EXPECT_EQ(MacroEditor::LiveRowSteps(), 0);

    Macro orphan = WithSteps({{'A', kMacroDown}, {'A', kMacroUp}, {'C', kMacroToggle}});
    script.Step([this] { return Editor() != nullptr; }, [&] { DestroyWindow(owner); });
    script.Start();
    EXPECT_FALSE(MacroEditor::Edit(orphan, owner));
    script.Stop();
    owner = nullptr;
    EXPECT_EQ(MacroEditor::LiveRowSteps(), 0);
    EXPECT_EQ(orphan.Entries.size(), 3u) << "the macro is left as it was";
    EXPECT_EQ(orphan.EditorWindow, nullptr);
}

}  // namespace
