// The macro editor's step rows and the in-place editors over the selected one.
#pragma once

#include <keyboard/macro.h>

constexpr int kMacroNameEdit = 1017;
constexpr int kMacroStepList = 1016;
constexpr int kKeyComboId = 1000;
constexpr int kModeComboId = 1001;

// Row value ownership: each row holds a heap copy of its step.
MacroEntry* NewRowStep(const MacroEntry& step);
void FreeRowStep(MacroEntry* step);
int LiveRowStepCount();

HWND StepList(HWND dialog);
int StepRowCount(HWND dialog);
int SelectedStepRow(HWND dialog);
MacroEntry* RowStep(HWND dialog, int row);
// Appends (at -1) or inserts a row for step, which the row then owns; no selection.
int InsertStepRow(HWND dialog, int at, MacroEntry* step);
// Shows a step's key and mode in its row.
void ShowStepInRow(HWND dialog, int row, const MacroEntry& step);

// Writes the in-place editors into the row they edit (nothing when none is edited).
void CommitRow(HWND dialog, Macro& macro);
// Commits, then lays the editors over the selected row, or hides them when none is selected.
void PlaceEditors(HWND dialog, Macro& macro);
// Hides the editors and forgets the row, without writing it.
void DropEditors(Macro& macro);
