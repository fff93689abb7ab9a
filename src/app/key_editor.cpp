#include <app/key_editor.h>

#include <widgets/help.h>
#include <app/key_field.h>
#include <app/macro_list_provider.h>
#include <app/modal_dialog.h>
#include <keyboard/macro_list.h>
#include <platform/dialog.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <platform/text.h>
#include <resources/resources.h>

namespace {

constexpr DWORD kFullScreenPanelDownEmptyMenu = 0x2C;
constexpr int kKeyRadio = 1019, kLatchCheck = 1020, kMacroRadio = 1021, kKeyField = 1022;
constexpr int kMacroDownList = 1023, kTitleEdit = 1026, kMacroUpList = 1028;
constexpr WORD kMacrosCommand = 112, kDoneCommand = 40402;
constexpr UINT kNoneText = 111;
constexpr Keysym kMacroKeyShownKeysym = 0xFFE3;  // Control (Left)

using ItemId = WCHAR[kItemIdCapacity];

// Frees the id copies that are the entries' data, then empties the drop-down.
void ClearMacroList(HWND combo) {
    auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LRESULT data = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0);
        if (data != CB_ERR && data != 0) {
            delete[] reinterpret_cast<WCHAR*>(data);
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), 0);
        }
    }
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
}

// "(None)" and every macro by title, each macro's entry holding a copy of its id; selects the
// entry of id, or "(None)".
void FillMacroList(HWND combo, const MacroList& macros, LPCWSTR id) {
    ClearMacroList(combo);
    WCHAR noneText[kTextCapacity];
    LoadStringW(GetModuleHandleW(nullptr), kNoneText, noneText, kTextCapacity);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(noneText));
    for (const MacroListItem& macro : macros.Items()) {
        LRESULT item = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(macro.Title));
        if (item < 0) {
            continue;
        }
        auto* copy = new WCHAR[kItemIdCapacity];
        lstrcpynW(copy, macro.Id, kItemIdCapacity);
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item),
                     reinterpret_cast<LPARAM>(copy));
    }
    // The entries are sorted by title: look the choice up once all are in.
    auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    int none = -1, chosen = -1;
    for (int i = 0; i < count; ++i) {
        LRESULT data = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0);
        if (data == 0 && none < 0) {
            none = i;
        } else if (data != 0 && id[0] != 0 && lstrcmpW(reinterpret_cast<LPCWSTR>(data), id) == 0) {
            chosen = i;
            break;
        }
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen >= 0 ? chosen : none), 0);
}

void SelectedMacroId(HWND combo, ItemId& out) {
    out[0] = 0;
    auto selected = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    LRESULT data =
        selected < 0 ? 0 : SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
    if (data != 0 && data != CB_ERR) {
        lstrcpynW(out, reinterpret_cast<LPCWSTR>(data), kItemIdCapacity);
    }
}

void FillMacroLists(HWND dialog, LPCWSTR downId, LPCWSTR upId) {
    MacroList macros;
    macros.LoadAll();
    FillMacroList(GetDlgItem(dialog, kMacroDownList), macros, downId);
    FillMacroList(GetDlgItem(dialog, kMacroUpList), macros, upId);
}

void EnableByType(HWND dialog) {
    bool plain = IsDlgButtonChecked(dialog, kKeyRadio) == BST_CHECKED;
    EnableWindow(GetDlgItem(dialog, kKeyField), plain);
    EnableWindow(GetDlgItem(dialog, kMacroDownList), !plain);
    EnableWindow(GetDlgItem(dialog, kMacroUpList), !plain);
}

void Initialise(HWND dialog, KeyDef& key) {
    SetWindowLongPtrW(dialog, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&key));
    key.EditorWindow = dialog;
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, kFullScreenPanelDownEmptyMenu};
    SHInitDialog(&info);
    SHMENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    bar.hwndParent = dialog;
    bar.nToolBarId = IDR_KEY_EDITOR_BAR;
    bar.hInstRes = GetModuleHandleW(nullptr);
    SHCreateMenuBar(&bar);
    SetDlgItemTextW(dialog, kTitleEdit, key.Title);
    CheckDlgButton(dialog, kLatchCheck, key.Latch ? BST_CHECKED : BST_UNCHECKED);
    bool macroKey = key.Type != kPlainKey;
    CheckDlgButton(dialog, macroKey ? kMacroRadio : kKeyRadio, BST_CHECKED);
    HWND field = GetDlgItem(dialog, kKeyField);
    FillNamedKeyCombo(field);
    ShowKeysymInField(field, macroKey ? kMacroKeyShownKeysym : key.KeySym);
    FillMacroLists(dialog, macroKey ? key.MacroDown : u"", macroKey ? key.MacroUp : u"");
    EnableByType(dialog);
}

// "Macros": the macro list over this editor; the drop-downs then show what it left, keeping
// their choices.
void EditMacros(HWND dialog) {
    ItemId down, up;
    SelectedMacroId(GetDlgItem(dialog, kMacroDownList), down);
    SelectedMacroId(GetDlgItem(dialog, kMacroUpList), up);
    {
        MacroList macros;
        MacroListProvider list(macros);
        list.Show(dialog);
    }
    if (IsWindow(dialog)) {
        FillMacroLists(dialog, down, up);
    }
}

void Confirm(HWND dialog, KeyDef& key) {
    GetDlgItemTextW(dialog, kTitleEdit, key.Title, kTextCapacity);
    key.Latch = IsDlgButtonChecked(dialog, kLatchCheck) == BST_CHECKED;
    if (IsDlgButtonChecked(dialog, kKeyRadio) != BST_CHECKED) {
        key.Type = kMacroKey;
        SelectedMacroId(GetDlgItem(dialog, kMacroDownList), key.MacroDown);
        SelectedMacroId(GetDlgItem(dialog, kMacroUpList), key.MacroUp);
    } else {
        key.Type = kPlainKey;
        key.KeySym = KeysymFromField(GetDlgItem(dialog, kKeyField), true);
    }
    EndDialog(dialog, 1);
}

INT_PTR EditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        Initialise(dialog, *reinterpret_cast<KeyDef*>(lParam));
        return 1;
    }
    auto* key = reinterpret_cast<KeyDef*>(GetWindowLongPtrW(dialog, GWL_USERDATA));
    if (key == nullptr) {
        return 0;
    }
    switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kKeyRadio:
                case kMacroRadio:
                    EnableByType(dialog);
                    return 1;
                case kKeyField:
                    if (HIWORD(wParam) == CBN_EDITCHANGE) {
                        KeepOneCharacter(GetDlgItem(dialog, kKeyField));
                    }
                    return 1;
                case kMacrosCommand:
                    EditMacros(dialog);
                    return 1;
                case kDoneCommand:
                    Confirm(dialog, *key);
                    return 1;
                default:
                    return 0;
            }
        case WM_CLOSE:  // there is no cancel: leaving takes the edits
            Confirm(dialog, *key);
            return 1;
        case WM_HELP:
            ShowHelp(u"KeyEditor");
            return 1;
        case WM_DESTROY:
            // The id copies go however the editor ends, also when its owner goes first.
            ClearMacroList(GetDlgItem(dialog, kMacroDownList));
            ClearMacroList(GetDlgItem(dialog, kMacroUpList));
            SetWindowLongPtrW(dialog, GWL_USERDATA, 0);
            return 0;
        default:
            return 0;
    }
}

}  // namespace

bool KeyEditor::Edit(KeyDef& key, HWND parent) {
    if (key.EditorWindow != nullptr) {
        SetForegroundWindow(key.EditorWindow);
        return false;
    }
    INT_PTR result =
        RunModalDialog(IDD_KEY_EDITOR, parent, EditorProc, reinterpret_cast<LPARAM>(&key));
    key.EditorWindow = nullptr;
    return result == 1;
}
