// The key editor, the define-keys dialog and the list dialog driven on the test device as a
// person would: the one-character key field, macro keys and the "Macros" soft key, placements
// per server, scrolling rows, and the list rows' values however a list ends.
#include <app/define_keys_dialog.h>
#include <app/key_editor.h>
#include <app/key_list_provider.h>
#include <app/macro_list_provider.h>
#include <platform/commctrl.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <resources/resources.h>

#include <gtest/gtest.h>

#include "keyboard_ui.h"
#include "temp_home.h"

namespace {

constexpr int kKeyRadio = 1019, kMacroRadio = 1021, kKeyField = 1022, kMacroDownList = 1023;
constexpr int kMacroUpList = 1028;
const POINT kTaskBarOk{240 - 12, 13};

class KeyDialogsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallResources(GetModuleHandleW(nullptr));
        InitCommonControls();
        owner = MakeDialogOwner();
    }
    void TearDown() override {
        if (owner != nullptr) {
            DestroyWindow(owner);
        }
    }
    HWND KeyEditor() const { return ui.Dialog(u"Edit Key"); }
    HWND Field() const { return GetDlgItem(KeyEditor(), kKeyField); }

    DeviceHarness device;
    TempHome home;
    KeyboardUi ui{device};
    HWND owner = nullptr;
};

TEST_F(KeyDialogsTest, TheKeyFieldShowsTheStoredCharacterAndKeepsOneTypedUpperCaseCharacter) {
    KeyDef key;
    key.KeySym = 0x61;
    StepScript script(device);
    std::u16string shown, typedX, pasted, shifted, named;
    LRESULT selectedForA = 0;
    bool fieldEnabled = false;
    script.Step([this] { return KeyEditor() != nullptr; },
                [&] {
                    shown = KeyboardUi::Text(Field());
                    selectedForA = SendMessageW(Field(), CB_GETCURSEL, 0, 0);
                    fieldEnabled = IsWindowEnabled(Field());
                    ui.TypeInto(Field(), u"x");
                    typedX = KeyboardUi::Text(Field());
                    HWND edit = GetWindow(Field(), GW_CHILD);
                    SendMessageW(edit, EM_SETSEL, 0, -1);
                    device.TypeAtOnce(u"abc");  // as a paste arrives
                    device.PumpUntilIdle();
                    pasted = KeyboardUi::Text(Field());
                    SendMessageW(edit, EM_SETSEL, 0, -1);
                    device.HoldKey(VK_SHIFT);
                    device.PressKey('W');
                    device.ReleaseKey(VK_SHIFT);
                    shifted = KeyboardUi::Text(Field());
                    ui.Choose(Field(), 0, 1);  // "(Return)"
                    named = KeyboardUi::Text(Field());
                    ui.TypeInto(Field(), u"a");  // typed over a named key: the letter counts
                    ui.TapSoftKey(KeyEditor(), false);
                });
    script.Start();
    EXPECT_TRUE(KeyEditor::Edit(key, owner));
    script.Stop();
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(shown, u"a") << "0x61 as it is, no named entry";
    EXPECT_EQ(selectedForA, CB_ERR);
    EXPECT_TRUE(fieldEnabled);
    EXPECT_EQ(typedX, u"X");
    EXPECT_EQ(pasted, u"A");
    EXPECT_EQ(shifted, u"W");
    EXPECT_EQ(named, u"(Return)") << "a chosen name stays whole";
    EXPECT_EQ(key.Type, kPlainKey);
    EXPECT_EQ(key.KeySym, 0x41);
    EXPECT_EQ(key.EditorWindow, nullptr);

    // Unchanged, a stored lower-case letter is taken upper-cased.
    KeyDef lower;
    lower.KeySym = 0x61;
    script.Step([this] { return KeyEditor() != nullptr; },
                [&] { ui.TapSoftKey(KeyEditor(), false); });
    script.Start();
    KeyEditor::Edit(lower, owner);
    script.Stop();
    EXPECT_EQ(lower.KeySym, 0x41);
}

TEST_F(KeyDialogsTest, AMacroKeyShowsItsMacrosAndTheMacrosSoftKeyAddsToTheirLists) {
    std::unique_ptr<Macro> alpha, beta;
    {
        MacroList macros;
        alpha = macros.Add(u"Alpha");
        beta = macros.Add(u"Beta");
    }
    ASSERT_TRUE(alpha && beta);
    KeyDef key;
    key.Type = kMacroKey;
    lstrcpynW(key.MacroDown, alpha->Id, kItemIdCapacity);
    lstrcpynW(key.MacroUp, beta->Id, kItemIdCapacity);
    StepScript script(device);
    std::u16string keyShown, downShown, upShown, downAfter;
    bool keyFieldDisabled = false, namedSelected = false;
    int entriesBefore = 0, entriesAfter = 0;
    script.Step([this] { return KeyEditor() != nullptr; },
                [&] {
                    HWND dialog = KeyEditor();
                    keyShown = KeyboardUi::Text(Field());
                    namedSelected = SendMessageW(Field(), CB_GETCURSEL, 0, 0) >= 0;
                    keyFieldDisabled = !IsWindowEnabled(Field());
                    downShown = KeyboardUi::Text(GetDlgItem(dialog, kMacroDownList));
                    upShown = KeyboardUi::Text(GetDlgItem(dialog, kMacroUpList));
                    entriesBefore = static_cast<int>(
                        SendDlgItemMessageW(dialog, kMacroDownList, CB_GETCOUNT, 0, 0));
                    ui.Choose(GetDlgItem(dialog, kMacroUpList), 0, 0);  // "(None)"
                    script.Free();
                    ui.TapSoftKey(dialog, true);  // "Macros"
                });
    script.Step([this] { return ui.Dialog(u"Macros") != nullptr && ui.Menus().empty(); },
                [&] {
                    script.Free();
                    ui.TapSoftKey(ui.Dialog(u"Macros"), true);
                });
    script.Step([this] { return ui.Menus().size() == 1; },
                [&] { ui.TapMenuItem(ui.Menus()[0], 0); });  // "Add"
    script.Step([this] { return ui.Dialog(u"Macros") != nullptr && ui.Menus().empty(); },
                [&] { ui.TapSoftKey(ui.Dialog(u"Macros"), false); });
    script.Step([this] { return KeyEditor() != nullptr; },
                [&] {
                    HWND dialog = KeyEditor();
                    downAfter = KeyboardUi::Text(GetDlgItem(dialog, kMacroDownList));
                    entriesAfter = static_cast<int>(
                        SendDlgItemMessageW(dialog, kMacroDownList, CB_GETCOUNT, 0, 0));
                    ui.TapSoftKey(dialog, false);
                });
    script.Start();
    EXPECT_TRUE(KeyEditor::Edit(key, owner));
    script.Stop();
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(keyShown, u"(Control (Left))");
    EXPECT_TRUE(namedSelected);
    EXPECT_TRUE(keyFieldDisabled);
    EXPECT_EQ(downShown, u"Alpha");
    EXPECT_EQ(upShown, u"Beta");
    EXPECT_EQ(entriesBefore, 3);
    EXPECT_EQ(entriesAfter, 4) << "the macro added meanwhile";
    EXPECT_EQ(downAfter, u"Alpha") << "the choice survives the refill";
    EXPECT_EQ(std::u16string(key.MacroDown), std::u16string(alpha->Id));
    EXPECT_EQ(key.MacroUp[0], 0);
}

TEST_F(KeyDialogsTest, APlainKeySwitchedToMacroWithoutMacrosStoresNeither) {
    KeyList keys;
    std::unique_ptr<KeyDef> added = keys.Add(u"K");
    ASSERT_TRUE(added);
    KeyDef key = *added;
    StepScript script(device);
    script.Step([this] { return KeyEditor() != nullptr; },
                [&] {
                    ui.TapCenter(GetDlgItem(KeyEditor(), kMacroRadio));
                    ui.TapSoftKey(KeyEditor(), false);
                });
    script.Start();
    ASSERT_TRUE(KeyEditor::Edit(key, owner));
    script.Stop();
    ASSERT_TRUE(keys.Save(key));
    std::unique_ptr<SettingsKey> stored(keys.Collection()->openSubkey(key.Id));
    EXPECT_EQ(stored->readDword(u"Type", 7), 1u);
    WCHAR text[kTextCapacity];
    stored->readString(u"MacroDown", u"absent", text);
    EXPECT_EQ(std::u16string(text), u"absent");
    stored->readString(u"MacroUp", u"absent", text);
    EXPECT_EQ(std::u16string(text), u"absent");
}

// Six keys, A to F, with the placements given (absent for -1).
std::vector<std::u16string> SaveSixKeys(SettingsKey& server,
                                        std::initializer_list<int> placements) {
    KeyList keys;
    std::unique_ptr<SettingsKey> serverKeys(server.openSubkey(u"Keys"));
    std::vector<std::u16string> ids;
    char16_t letter = u'A';
    for (int placement : placements) {
        std::u16string title(1, letter++);
        std::unique_ptr<KeyDef> key = keys.Add(title.c_str());
        ids.push_back(key->Id);
        if (placement >= 0) {
            serverKeys->writeDword(key->Id, static_cast<DWORD>(placement));
        }
    }
    return ids;
}

TEST_F(KeyDialogsTest, DefineKeysShowsARowPerKeyAndWritesOnlyThePlacementsThatChanged) {
    std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
    std::unique_ptr<SettingsKey> server(servers->openSubkey(u"S1"));
    SaveSixKeys(*server, {3, -1, 1, 2, 0, -1});
    KeyList keys;
    std::vector<KeyDef> order;
    LoadKeysForServer(keys, *server, kPlacementBoth, order);  // the store's order
    ASSERT_EQ(order.size(), 6u);
    int firstPlaced = -1;
    for (int i = 0; i < 6; ++i) {
        if (order[i].Placement() == 3 && firstPlaced < 0) {
            firstPlaced = i;
        }
    }
    ASSERT_GE(firstPlaced, 0);
    StepScript script(device);
    int controls = 0;
    RECT label{}, toolbarBox{};
    script.Step([this] { return ui.Dialog(u"Blank") != nullptr; },
                [&] {
                    HWND dialog = ui.Dialog(u"Blank");
                    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
                         child = GetWindow(child, GW_HWNDNEXT)) {
                        ++controls;
                    }
                    label = device.ScreenRectOf(GetDlgItem(dialog, 10000));
                    toolbarBox = device.ScreenRectOf(GetDlgItem(dialog, 20000 + firstPlaced));
                    ui.TapCenter(GetDlgItem(dialog, 20000 + firstPlaced));
                    ui.TapCenter(GetDlgItem(dialog, 30000 + firstPlaced));
                    device.SaveScreenshot(ScreenshotPath("define_keys_tall.png"));
                    device.Rotate();
                    device.SaveScreenshot(ScreenshotPath("define_keys_wide.png"));
                    device.Rotate();
                    device.Tap(kTaskBarOk.x, kTaskBarOk.y);
                });
    script.Start();
    EXPECT_TRUE(RunDefineKeysDialog(owner, server.get()));
    script.Stop();
    ASSERT_TRUE(script.Done());
    EXPECT_EQ(controls, 3 + 18);
    EXPECT_GT(label.right - label.left, 0) << "rows laid out as soon as they exist";
    EXPECT_GT(label.bottom - label.top, 0);
    EXPECT_GT(toolbarBox.left, label.left);
    std::unique_ptr<SettingsKey> serverKeys(server->openSubkey(u"Keys"));
    for (int i = 0; i < 6; ++i) {
        DWORD stored = serverKeys->readDword(order[i].Id, 99);
        if (i == firstPlaced) {
            EXPECT_EQ(stored, 0u) << "both boxes unchecked";
        } else {
            const int original[] = {3, -1, 1, 2, 0, -1};  // by title, A to F
            int was = original[order[i].Title[0] - u'A'];
            EXPECT_EQ(stored, was < 0 ? 99u : static_cast<DWORD>(was))
                << "unchanged keys are not written";
        }
    }
}

TEST_F(KeyDialogsTest, DefineKeysScrollsItsRowsAndARotationStartsThemAtTheTopAgain) {
    std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
    std::unique_ptr<SettingsKey> server(servers->openSubkey(u"S2"));
    {
        KeyList keys;
        for (int i = 0; i < 30; ++i) {
            keys.Add(u"Key");
        }
    }
    StepScript script(device);
    int bottomPosition = 0, positionAfterRotation = -1, headingTop = -1, headingTopScrolled = 0;
    script.Step([this] { return ui.Dialog(u"Blank") != nullptr; },
                [&] {
                    HWND dialog = ui.Dialog(u"Blank");
                    SendMessageW(dialog, WM_VSCROLL, SB_BOTTOM, 0);
                    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, 0, 0};
                    GetScrollInfo(dialog, SB_VERT, &info);
                    bottomPosition = info.nPos;
                    headingTopScrolled = device.ScreenRectOf(GetDlgItem(dialog, 100)).top;
                    device.Rotate();
                    GetScrollInfo(dialog, SB_VERT, &info);
                    positionAfterRotation = info.nPos;
                    POINT origin{0, 0};
                    ClientToScreen(dialog, &origin);
                    headingTop = device.ScreenRectOf(GetDlgItem(dialog, 100)).top - origin.y;
                    device.Rotate();
                    PostMessageW(dialog, WM_CLOSE, 0, 0);
                });
    script.Start();
    EXPECT_FALSE(RunDefineKeysDialog(owner, server.get())) << "closed without OK";
    script.Stop();
    EXPECT_GT(bottomPosition, 0);
    EXPECT_LT(headingTopScrolled, 0);
    EXPECT_EQ(positionAfterRotation, 0);
    EXPECT_EQ(headingTop, 0);
    std::unique_ptr<SettingsKey> serverKeys(server->openSubkey(u"Keys"));
    KeyList keys;
    keys.LoadAll();
    for (const KeyDef& key : keys.Keys()) {
        EXPECT_EQ(serverKeys->readDword(key.Id, 99), 99u) << "nothing written without OK";
    }
}

TEST_F(KeyDialogsTest, ListRowValuesAreFreedOnceWhetherTheListIsDoneClosedOrLosesItsOwner) {
    {
        MacroList macros;
        macros.Add(u"One");
        macros.Add(u"Two");
    }
    MacroList macros;
    MacroListProvider provider(macros);
    StepScript script(device);
    int liveWhileOpen = 0;
    bool duplicateGrayed = false;
    script.Step([this] { return ui.Dialog(u"Macros") != nullptr; },
                [&] {
                    liveWhileOpen = provider.LiveRowValues();
                    duplicateGrayed = !KeyboardUi::MenuEnabled(ui.Dialog(u"Macros"), 32805);
                    ui.TapSoftKey(ui.Dialog(u"Macros"), false);  // "Done"
                });
    script.Start();
    provider.Show(owner);
    script.Stop();
    EXPECT_EQ(liveWhileOpen, 2);
    EXPECT_TRUE(duplicateGrayed) << "nothing selected";
    EXPECT_EQ(provider.LiveRowValues(), 0);

    script.Step([this] { return ui.Dialog(u"Macros") != nullptr; },
                [&] { PostMessageW(ui.Dialog(u"Macros"), WM_CLOSE, 0, 0); });
    script.Start();
    provider.Show(owner);
    script.Stop();
    EXPECT_EQ(provider.LiveRowValues(), 0);

    KeyList keys;
    keys.Add(u"Key");
    KeyListProvider keyProvider(keys);
    bool deleteGrayed = false;
    script.Step([this] { return ui.Dialog(u"Macros") != nullptr; },
                [&] {
                    deleteGrayed = !KeyboardUi::MenuEnabled(ui.Dialog(u"Macros"), 32813);
                    script.Free();
                    ui.TapRow(GetDlgItem(ui.Dialog(u"Macros"), 1018), 0);  // opens the key editor
                });
    script.Step([this] { return KeyEditor() != nullptr; }, [&] { DestroyWindow(owner); });
    script.Start();
    keyProvider.Show(owner);
    script.Stop();
    owner = nullptr;
    EXPECT_TRUE(deleteGrayed);
    EXPECT_EQ(keyProvider.LiveRowValues(), 0) << "the owner took the list and its editor along";
}

}  // namespace
