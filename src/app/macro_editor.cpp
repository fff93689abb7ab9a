#include <app/macro_editor.h>

#include <app/dialog_layout.h>
#include <widgets/help.h>
#include <app/key_field.h>
#include <app/modal_dialog.h>
#include <display/screen_metrics.h>
#include <platform/commctrl.h>
#include <platform/menu.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <platform/text.h>
#include <resources/resources.h>

#include "macro_editor_rows.h"

namespace {

constexpr DWORD kFullScreenPanelDownEmptyMenu = 0x2C;
constexpr DWORD kKeyComboStyle = WS_CHILD | WS_VSCROLL | CBS_DROPDOWN;
constexpr DWORD kModeComboStyle = WS_CHILD | WS_VSCROLL | CBS_DROPDOWNLIST;
constexpr WORD kAdd = 32812, kDelete = 32813, kMoveDown = 32815, kMoveUp = 32816;
constexpr WORD kDoneCommand = 40402, kMenuButton = 40401;
constexpr UINT kModeTexts[] = {200, 201, 202};
constexpr DWORD kModes[] = {kMacroDown, kMacroUp, kMacroToggle};
constexpr int kKeyColumnPercent = 65, kModeColumnPercent = 30;

// The list's own procedure while the editor's hook is in front of it; one editor runs at a time.
WNDPROC listProcedure = nullptr;

Macro* MacroOf(HWND dialog) {
    return reinterpret_cast<Macro*>(GetWindowLongPtrW(dialog, GWL_USERDATA));
}

// The combos report to their parent, the list: their commands go on to the dialog. The end of a
// scroll is told to the dialog, which moves the editors with their row.
LRESULT ListHook(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND dialog = GetParent(list);
    if (message == WM_COMMAND &&
        (LOWORD(wParam) == kKeyComboId || LOWORD(wParam) == kModeComboId)) {
        return SendMessageW(dialog, WM_COMMAND, wParam, lParam);
    }
    LRESULT result = CallWindowProcW(listProcedure, list, message, wParam, lParam);
    if ((message == WM_VSCROLL || message == WM_HSCROLL) && LOWORD(wParam) == SB_ENDSCROLL) {
        NMHDR header{list, static_cast<UINT_PTR>(kMacroStepList), LVN_ENDSCROLL};
        SendMessageW(dialog, WM_NOTIFY, kMacroStepList, reinterpret_cast<LPARAM>(&header));
    }
    return result;
}

void EnableCommand(HWND dialog, WORD command, bool enabled) {
    auto menu = reinterpret_cast<HMENU>(
        SendMessageW(SHFindMenuBar(dialog), SHCMBM_GETSUBMENU, 0, kMenuButton));
    if (menu != nullptr) {
        EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void UpdateMenu(HWND dialog) {
    int row = SelectedStepRow(dialog);
    int count = StepRowCount(dialog);
    EnableCommand(dialog, kAdd, count < kMaxMacroEntries);
    EnableCommand(dialog, kDelete, row >= 0);
    EnableCommand(dialog, kMoveUp, row > 0);
    EnableCommand(dialog, kMoveDown, row >= 0 && row + 1 < count);
}

HWND CreateCombo(HWND list, DWORD style, int id) {
    HWND combo = CreateWindowExW(0, WC_COMBOBOX, u"", style, 0, 0, 10, ScaledY(100), list,
                                 reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
    SendMessageW(combo, WM_SETFONT, static_cast<WPARAM>(SendMessageW(list, WM_GETFONT, 0, 0)), 0);
    return combo;
}

void OnSize(HWND dialog) {
    RelayoutDialog(
        GetModuleHandleW(nullptr), dialog,
        TemplateForShape(IDD_MACRO_EDITOR_SQUARE, IDD_MACRO_EDITOR_TALL, IDD_MACRO_EDITOR_WIDE));
    RECT client{};
    GetClientRect(dialog, &client);
    HWND list = StepList(dialog);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, kKeyColumnPercent * client.right / 100);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, kModeColumnPercent * client.right / 100);
    Macro* macro = MacroOf(dialog);
    if (macro != nullptr && macro->EditRow >= 0) {
        PlaceEditors(dialog, *macro);  // the row changed its width
    }
}

void Initialise(HWND dialog, Macro& macro) {
    SetWindowLongPtrW(dialog, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&macro));
    macro.EditRow = -1;
    macro.EditorWindow = dialog;
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, kFullScreenPanelDownEmptyMenu};
    SHInitDialog(&info);
    SHMENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    bar.hwndParent = dialog;
    bar.nToolBarId = IDR_MACRO_EDITOR_BAR;
    bar.hInstRes = GetModuleHandleW(nullptr);
    SHCreateMenuBar(&bar);

    HWND list = StepList(dialog);
    listProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ListHook)));
    LRESULT extended = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended | LVS_EX_FULLROWSELECT);
    WCHAR key[] = u"Character", mode[] = u"Mode";
    LVCOLUMNW column{LVCF_FMT | LVCF_WIDTH | LVCF_TEXT, LVCFMT_LEFT, 10, key, 0, 0};
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.pszText = mode;
    column.iSubItem = 1;
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));

    macro.KeyCombo = CreateCombo(list, kKeyComboStyle, kKeyComboId);
    FillNamedKeyCombo(macro.KeyCombo);
    macro.ModeCombo = CreateCombo(list, kModeComboStyle, kModeComboId);
    for (int i = 0; i < 3; ++i) {
        WCHAR text[kTextCapacity] = {};
        LoadStringW(GetModuleHandleW(nullptr), kModeTexts[i], text, kTextCapacity);
        LRESULT item =
            SendMessageW(macro.ModeCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        SendMessageW(macro.ModeCombo, CB_SETITEMDATA, static_cast<WPARAM>(item),
                     static_cast<LPARAM>(kModes[i]));
    }
    // Rows as tall as the key field, through an image list of that height.
    RECT field{};
    GetClientRect(macro.KeyCombo, &field);
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(ImageList_Create(1, field.bottom, ILC_COLOR, 0, 1)));

    SetDlgItemTextW(dialog, kMacroNameEdit, macro.Title);
    for (const MacroEntry& step : macro.Entries) {
        InsertStepRow(dialog, -1, NewRowStep(step));
    }
    UpdateMenu(dialog);
    // The shell sized the dialog before the columns and the editors existed.
    OnSize(dialog);
}

void FreeRows(HWND dialog) {
    int count = StepRowCount(dialog);
    for (int row = 0; row < count; ++row) {
        FreeRowStep(RowStep(dialog, row));
    }
    SendMessageW(StepList(dialog), LVM_DELETEALLITEMS, 0, 0);
}

void AddStep(HWND dialog) {
    if (StepRowCount(dialog) >= kMaxMacroEntries) {
        return;  // what the store can hold
    }
    InsertStepRow(dialog, -1, NewRowStep(MacroEntry{0x41, kMacroToggle}));
    UpdateMenu(dialog);
}

void DeleteStep(HWND dialog, Macro& macro) {
    int row = SelectedStepRow(dialog);
    if (row < 0) {
        return;
    }
    // The editors leave the row first: afterwards its number belongs to the row below.
    DropEditors(macro);
    MacroEntry* step = RowStep(dialog, row);
    SendMessageW(StepList(dialog), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    FreeRowStep(step);
    UpdateMenu(dialog);
}

void MoveStep(HWND dialog, Macro& macro, int by) {
    int row = SelectedStepRow(dialog);
    int target = row + by;
    if (row < 0 || target < 0 || target >= StepRowCount(dialog)) {
        return;
    }
    // The edits go into the row before it moves, and the editors leave it: its old number
    // belongs to its neighbour afterwards.
    CommitRow(dialog, macro);
    DropEditors(macro);
    MacroEntry* step = RowStep(dialog, row);
    SendMessageW(StepList(dialog), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    InsertStepRow(dialog, target, step);
    UpdateMenu(dialog);
}

void Done(HWND dialog, Macro& macro) {
    GetDlgItemTextW(dialog, kMacroNameEdit, macro.Title, kTextCapacity);
    CommitRow(dialog, macro);
    DropEditors(macro);
    macro.Entries.clear();
    int count = StepRowCount(dialog);
    for (int row = 0; row < count; ++row) {
        if (const MacroEntry* step = RowStep(dialog, row)) {
            macro.Entries.push_back(*step);
        }
    }
    FreeRows(dialog);
    EndDialog(dialog, 1);
}

INT_PTR OnNotify(HWND dialog, Macro& macro, const NMHDR& header) {
    if (header.idFrom != kMacroStepList) {
        return 0;
    }
    if (header.code == LVN_ENDSCROLL) {
        PlaceEditors(dialog, macro);
        return 0;
    }
    if (header.code != LVN_ITEMCHANGED) {
        return 0;
    }
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uChanged & LVIF_STATE) == 0 ||
        ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) == 0) {
        return 0;
    }
    UpdateMenu(dialog);
    if ((change.uNewState & LVIS_SELECTED) == 0) {
        CommitRow(dialog, macro);
        DropEditors(macro);
    } else {
        PlaceEditors(dialog, macro);
    }
    return 0;
}

INT_PTR EditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        Initialise(dialog, *reinterpret_cast<Macro*>(lParam));
        return 1;
    }
    Macro* macro = MacroOf(dialog);
    if (macro == nullptr) {
        return 0;
    }
    switch (message) {
        case WM_SIZE:
            OnSize(dialog);
            return 0;
        case WM_NOTIFY:
            return lParam != 0 ? OnNotify(dialog, *macro, *reinterpret_cast<const NMHDR*>(lParam))
                               : 0;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kKeyComboId:
                    if (HIWORD(wParam) == CBN_EDITCHANGE) {
                        KeepOneCharacter(macro->KeyCombo);
                    }
                    return 1;
                case kAdd:
                    AddStep(dialog);
                    return 1;
                case kDelete:
                    DeleteStep(dialog, *macro);
                    return 1;
                case kMoveUp:
                    MoveStep(dialog, *macro, -1);
                    return 1;
                case kMoveDown:
                    MoveStep(dialog, *macro, 1);
                    return 1;
                case kDoneCommand:
                    Done(dialog, *macro);
                    return 1;
                default:
                    return 0;
            }
        case WM_CLOSE:  // there is no cancel: leaving takes the edits
            Done(dialog, *macro);
            return 1;
        case WM_HELP:
            ShowHelp(u"Macro");
            return 1;
        case WM_DESTROY:
            // Steps still in rows (the owner went first) go with the dialog.
            FreeRows(dialog);
            macro->EditRow = -1;
            macro->KeyCombo = macro->ModeCombo = nullptr;
            SetWindowLongPtrW(dialog, GWL_USERDATA, 0);
            return 0;
        default:
            return 0;
    }
}

}  // namespace

bool MacroEditor::Edit(Macro& macro, HWND parent) {
    if (macro.EditorWindow != nullptr) {
        SetForegroundWindow(macro.EditorWindow);
        return false;
    }
    INT_PTR result = RunModalDialog(IDD_MACRO_EDITOR_SQUARE, parent, EditorProc,
                                    reinterpret_cast<LPARAM>(&macro));
    macro.EditorWindow = nullptr;
    macro.EditRow = -1;
    macro.KeyCombo = macro.ModeCombo = nullptr;
    return result == 1;
}

int MacroEditor::LiveRowSteps() {
    return LiveRowStepCount();
}
