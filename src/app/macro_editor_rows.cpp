#include "macro_editor_rows.h"

#include <app/key_field.h>
#include <display/screen_metrics.h>
#include <platform/commctrl.h>
#include <platform/core.h>
#include <platform/dialog.h>
#include <platform/resources.h>
#include <platform/text.h>

namespace {

constexpr int kDropDownHeight = 100;  // logical pixels: the open lists of the in-place editors
constexpr UINT kModeTextFirst = 200;  // "Down", "Up", "Toggle"

int liveSteps = 0;

void ModeName(DWORD mode, WCHAR (&text)[kTextCapacity]) {
    UINT id = mode == kMacroDown     ? kModeTextFirst
              : mode == kMacroUp     ? kModeTextFirst + 1
              : mode == kMacroToggle ? kModeTextFirst + 2
                                     : 0;
    if (id == 0 || LoadStringW(GetModuleHandleW(nullptr), id, text, kTextCapacity) == 0) {
        lstrcpynW(text, u"??", kTextCapacity);
    }
}

void SetCell(HWND dialog, int row, int column, LPCWSTR text) {
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<LPWSTR>(text);
    SendMessageW(StepList(dialog), LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&cell));
}

void ShowKey(HWND dialog, int row, Keysym keysym) {
    WCHAR name[kKeyNameCapacity];
    FormatKeyName(keysym, name, kKeyNameCapacity);
    SetCell(dialog, row, 0, name);
}

void ShowMode(HWND dialog, int row, DWORD mode) {
    WCHAR name[kTextCapacity];
    ModeName(mode, name);
    SetCell(dialog, row, 1, name);
}

void Trace(LPCWSTR format, int row, const MacroEntry& step) {
    WCHAR text[kTextCapacity];
    wsprintfW(text, format, row, static_cast<unsigned>(step.KeySym), static_cast<int>(step.Mode));
    OutputDebugStringW(text);
}

}  // namespace

MacroEntry* NewRowStep(const MacroEntry& step) {
    ++liveSteps;
    return new MacroEntry(step);
}

void FreeRowStep(MacroEntry* step) {
    if (step != nullptr) {
        --liveSteps;
        delete step;
    }
}

int LiveRowStepCount() {
    return liveSteps;
}

HWND StepList(HWND dialog) {
    return GetDlgItem(dialog, kMacroStepList);
}

int StepRowCount(HWND dialog) {
    return static_cast<int>(SendMessageW(StepList(dialog), LVM_GETITEMCOUNT, 0, 0));
}

int SelectedStepRow(HWND dialog) {
    return static_cast<int>(
        SendMessageW(StepList(dialog), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

MacroEntry* RowStep(HWND dialog, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (row < 0 ||
        SendMessageW(StepList(dialog), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) == 0) {
        return nullptr;
    }
    return reinterpret_cast<MacroEntry*>(item.lParam);
}

int InsertStepRow(HWND dialog, int at, MacroEntry* step) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = at < 0 ? StepRowCount(dialog) : at;
    item.pszText = const_cast<LPWSTR>(u"");
    item.lParam = reinterpret_cast<LPARAM>(step);
    auto row = static_cast<int>(
        SendMessageW(StepList(dialog), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) {
        FreeRowStep(step);
        return -1;
    }
    ShowStepInRow(dialog, row, *step);
    return row;
}

void ShowStepInRow(HWND dialog, int row, const MacroEntry& step) {
    ShowKey(dialog, row, step.KeySym);
    ShowMode(dialog, row, step.Mode);
}

void CommitRow(HWND dialog, Macro& macro) {
    if (macro.EditRow < 0) {
        return;
    }
    // Rows are moved and deleted only after the editors were taken off them, so the edited row
    // still holds its step; a row that is gone takes nothing.
    MacroEntry* step = RowStep(dialog, macro.EditRow);
    if (step == nullptr) {
        macro.EditRow = -1;
        return;
    }
    step->KeySym = KeysymFromField(macro.KeyCombo, false);
    ShowKey(dialog, macro.EditRow, step->KeySym);
    auto mode = static_cast<int>(SendMessageW(macro.ModeCombo, CB_GETCURSEL, 0, 0));
    if (mode >= 0) {
        step->Mode = static_cast<DWORD>(
            SendMessageW(macro.ModeCombo, CB_GETITEMDATA, static_cast<WPARAM>(mode), 0));
        ShowMode(dialog, macro.EditRow, step->Mode);
    }
    Trace(u"Setting %i: %.4x, %i\n", macro.EditRow, *step);
}

void DropEditors(Macro& macro) {
    ShowWindow(macro.KeyCombo, SW_HIDE);
    ShowWindow(macro.ModeCombo, SW_HIDE);
    macro.EditRow = -1;
}

void PlaceEditors(HWND dialog, Macro& macro) {
    int row = SelectedStepRow(dialog);
    CommitRow(dialog, macro);
    macro.EditRow = row;
    MacroEntry* step = RowStep(dialog, row);
    if (row < 0 || step == nullptr) {
        DropEditors(macro);
        return;
    }
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(StepList(dialog), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&bounds));
    Trace(u"Getting %i: %.4x, %i\n", row, *step);
    int height = ScaledY(kDropDownHeight);
    auto keyWidth = static_cast<int>(SendMessageW(StepList(dialog), LVM_GETCOLUMNWIDTH, 0, 0));
    MoveWindow(macro.KeyCombo, bounds.left, bounds.top, keyWidth, height, TRUE);
    ShowWindow(macro.KeyCombo, SW_SHOW);
    ShowKeysymInField(macro.KeyCombo, step->KeySym);
    int modeLeft = bounds.left + keyWidth;
    MoveWindow(macro.ModeCombo, modeLeft, bounds.top, bounds.right - modeLeft, height, TRUE);
    ShowWindow(macro.ModeCombo, SW_SHOW);
    int chosen = -1;
    auto count = static_cast<int>(SendMessageW(macro.ModeCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (static_cast<DWORD>(SendMessageW(macro.ModeCombo, CB_GETITEMDATA, static_cast<WPARAM>(i),
                                            0)) == step->Mode) {
            chosen = i;
            break;
        }
    }
    SendMessageW(macro.ModeCombo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}
