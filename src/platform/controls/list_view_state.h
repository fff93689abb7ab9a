// The list view's per-window state and geometry, shared by its message handling, its input
// (taps, press-and-hold, keys, its own scroll bar) and its painting.
#pragma once

#include "control_state.h"

#include <platform/commctrl.h>

#include <set>
#include <string>
#include <vector>

constexpr int kMaxRowHeight = 2000;  // a parent's answer to WM_MEASUREITEM is kept within this

struct ListColumn {
    std::u16string text;
    int width = 0;
    int format = LVCFMT_LEFT;
};

struct ListRow {
    std::vector<std::u16string> texts;  // column 0 first; missing columns are empty
    LPARAM param = 0;
    int image = 0;
};

// Where a press on the list began and what it may still become.
enum class ListPress { None, Row, EmptyArea, ScrollThumb };

struct ListViewState {
    HFONT font = nullptr;
    int textHeight = 0;      // of the font, 0 until measured
    int measuredHeight = 0;  // what the parent answered to WM_MEASUREITEM (owner-drawn rows)
    DWORD exStyle = 0;
    HIMAGELIST smallImages = nullptr;
    std::vector<ListColumn> columns;
    std::vector<ListRow> rows;  // empty for an owner-data list, which keeps only its count
    int virtualCount = 0;
    std::set<int> selected;
    int focused = -1;
    int top = 0;  // the first row shown
    ListPress press = ListPress::None;
    int pressedRow = -1;
    bool pressedWasSelected = false;
    bool held = false;     // the press became a press-and-hold: its release is no tap
    int thumbGrab = 0;     // for a thumb drag: the stylus's offset from the thumb's top
    int trackedTop = 0;    // for a thumb drag: the row the thumb points at
    int thumbReport = -1;  // that row while it is reported (WM_VSCROLL carries only 16 bits)
};

// Looks the state up; null once the window has gone (a parent may destroy the list while it
// handles a notification).
ListViewState* ListStateOf(HWND list);

// ---- geometry (client coordinates) ----
int ListCount(HWND list, const ListViewState& state);
int ListRowHeight(HWND list, ListViewState& state);
int ListHeaderHeight(HWND list);
// The client area less the border and, when the rows do not fit, the scroll bar.
RECT ListContentRect(HWND list, ListViewState& state);
bool ListNeedsScrollBar(HWND list, ListViewState& state);
RECT ListScrollBarRect(HWND list, ListViewState& state);
// The scroll bar's parts: the two arrow buttons and the thumb.
RECT ListThumbRect(HWND list, ListViewState& state);
int ListRowsPerPage(HWND list, ListViewState& state);
int ListMaxTop(HWND list, ListViewState& state);
// Row index's bounds (all columns); false for an index outside the list.
bool ListRowRect(HWND list, ListViewState& state, int index, RECT* rect);
// The row under a client point, -1 for none (header, scroll bar, below the last row).
int ListRowAt(HWND list, ListViewState& state, POINT point);
int ScaledLength(int logical);

// ---- state changes, each telling the parent (which may change or destroy the list) ----
// Changes index's state bits in mask to those of newState (all rows for -1); single-selection
// lists and the one focused row keep their rules. False when the list went away meanwhile.
bool ListSetItemState(HWND list, int index, UINT newState, UINT mask);
// Selects and focuses index alone, then shows it.
bool ListSelectOnly(HWND list, int index);
void ListEnsureVisible(HWND list, ListViewState& state, int index);
// Sets the first row shown (clamped) and redraws.
void ListScrollTo(HWND list, ListViewState& state, int top);
void ListNotifyActivate(HWND list, int index, POINT at);

// ---- input and painting ----
LRESULT ListHandleInput(HWND list, UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
void ListPaint(HWND list, ListViewState& state);
