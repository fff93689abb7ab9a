// Drawing the list view: white rows, the selected ones in the highlight colour with white text,
// each cell's text cut at its column's edge; owner-drawn rows through WM_DRAWITEM to the parent;
// the header (unless hidden), the scroll bar and the border on top.
#include "list_view_state.h"

#include <platform_internal/filled_paint.h>
#include <platform_internal/scroll_drawing.h>

#include <algorithm>

namespace {

struct Pens {
    HDC dc;
    HGDIOBJ previousPen;
    HGDIOBJ previousBrush;
    Pens(HDC target, HGDIOBJ pen, HGDIOBJ brush)
        : dc(target),
          previousPen(SelectObject(target, pen)),
          previousBrush(SelectObject(target, brush)) {}
    ~Pens() {
        SelectObject(dc, previousPen);
        SelectObject(dc, previousBrush);
    }
    Pens(const Pens&) = delete;
    Pens& operator=(const Pens&) = delete;
};

RECT Clipped(RECT rect, const RECT& bounds) {
    rect.left = std::max(rect.left, bounds.left);
    rect.right = std::min(rect.right, bounds.right);
    rect.top = std::max(rect.top, bounds.top);
    rect.bottom = std::min(rect.bottom, bounds.bottom);
    return rect;
}

UINT AlignmentOf(int format) {
    return format == LVCFMT_RIGHT ? DT_RIGHT : format == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
}

// One cell's text, inset by a small margin and cut at the cell's (visible) edges.
void DrawCell(HDC dc, const std::u16string& text, RECT cell, const RECT& visible, UINT align) {
    int margin = ScaledLength(3);
    cell.left += margin;
    cell.right -= margin;
    RECT shown = Clipped(cell, visible);
    if (shown.right > shown.left && !text.empty()) {
        // Cut at the visible edge but keep the cell's alignment: a cell cut by the scroll bar
        // still starts at its own left edge.
        RECT layout{cell.left, cell.top, std::min(cell.right, visible.right), cell.bottom};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &layout,
                  align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

void DrawRow(HWND list, ListViewState& state, HDC dc, int index, const RECT& row,
             const RECT& visible) {
    bool selected = state.selected.count(index) != 0;
    int imageWidth = 0, imageHeight = 0;
    ImageList_GetIconSize(state.smallImages, &imageWidth, &imageHeight);
    RECT highlight = row;
    if ((state.exStyle & LVS_EX_FULLROWSELECT) == 0 && !state.columns.empty()) {
        highlight.left += imageWidth;
        highlight.right = row.left + state.columns[0].width;
    }
    if (selected) {
        RECT lit = Clipped(highlight, visible);
        FillRect(dc, &lit, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    bool enabled = IsWindowEnabled(list) != FALSE;
    const std::vector<std::u16string>* texts =
        index < static_cast<int>(state.rows.size()) ? &state.rows[index].texts : nullptr;
    auto textOf = [&](std::size_t column) {
        return texts != nullptr && column < texts->size() ? (*texts)[column] : std::u16string();
    };
    int x = row.left;
    std::size_t columns = std::max<std::size_t>(state.columns.size(), 1);
    for (std::size_t c = 0; c < columns && x < visible.right; ++c) {
        int width = state.columns.empty() ? row.right - row.left : state.columns[c].width;
        RECT cell{x + (c == 0 ? imageWidth : 0), row.top, x + width, row.bottom};
        bool lit = selected && (c == 0 || (state.exStyle & LVS_EX_FULLROWSELECT) != 0);
        SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT
                                     : lit    ? COLOR_HIGHLIGHTTEXT
                                              : COLOR_WINDOWTEXT));
        DrawCell(dc, textOf(c), cell, visible,
                 state.columns.empty() ? DT_LEFT : AlignmentOf(state.columns[c].format));
        x += width;
    }
}

void DrawOwnerRow(HWND list, ListViewState& state, HDC dc, int index, const RECT& row) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTVIEW;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(list));
    item.itemID = static_cast<UINT>(index);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = (state.selected.count(index) != 0 ? ODS_SELECTED : 0) |
                     (state.focused == index && GetFocus() == list ? ODS_FOCUS : 0) |
                     (IsWindowEnabled(list) ? 0 : ODS_DISABLED);
    item.hwndItem = list;
    item.hDC = dc;
    item.rcItem = row;
    item.itemData = index < static_cast<int>(state.rows.size())
                        ? static_cast<std::uintptr_t>(state.rows[index].param)
                        : 0;
    HWND parent = GetParent(list);
    if (parent != nullptr) {
        SendMessageW(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    }
}

void DrawHeader(HWND list, ListViewState& state, HDC dc, const RECT& content) {
    int height = ListHeaderHeight(list);
    if (height == 0) {
        return;
    }
    RECT header{content.left, content.top, content.right, content.top + height};
    FillRect(dc, &header, GetSysColorBrush(COLOR_BTNFACE));
    HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    Pens pens(dc, shadow, GetStockObject(NULL_BRUSH));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    int x = content.left;
    for (const ListColumn& column : state.columns) {
        DrawCell(dc, column.text, {x, header.top, x + column.width, header.bottom}, header,
                 AlignmentOf(column.format));
        x += column.width;
        MoveToEx(dc, x - 1, header.top, nullptr);
        LineTo(dc, x - 1, header.bottom);
    }
    MoveToEx(dc, header.left, header.bottom - 1, nullptr);
    LineTo(dc, header.right, header.bottom - 1);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(shadow);
}

void DrawScrollBar(HWND list, ListViewState& state, HDC dc) {
    if (!ListNeedsScrollBar(list, state)) {
        return;
    }
    // Drawn like the scroll bars of windows: the same arrows, track and thumb.
    RECT bar = ListScrollBarRect(list, state);
    FillRect(dc, &bar, GetSysColorBrush(COLOR_3DLIGHT));
    int arrow = bar.right - bar.left;
    int maxTop = ListMaxTop(list, state);
    DrawArrowButton(dc, {bar.left, bar.top, bar.right, bar.top + arrow}, ArrowDirection::Up, false,
                    state.top > 0);
    DrawArrowButton(dc, {bar.left, bar.bottom - arrow, bar.right, bar.bottom}, ArrowDirection::Down,
                    false, state.top < maxTop);
    RECT thumb = ListThumbRect(list, state);
    if (thumb.bottom > thumb.top) {
        DrawRaisedBox(dc, thumb, false);
    }
}

}  // namespace

void ListPaint(HWND list, ListViewState& state) {
    PAINTSTRUCT paint;
    RECT client;
    HDC dc = BeginFilledPaint(list, paint, client, COLOR_WINDOW);
    RECT content = ListContentRect(list, state);
    RECT rows = content;
    rows.top = std::min(rows.top + ListHeaderHeight(list), rows.bottom);
    bool ownerDrawn = (GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDRAWFIXED) != 0;
    HGDIOBJ previousFont = SelectControlFont(dc, state.font);
    SetBkMode(dc, TRANSPARENT);
    ListViewState* current = &state;
    for (int index = state.top; current != nullptr && index < ListCount(list, *current); ++index) {
        RECT row;
        if (!ListRowRect(list, *current, index, &row) || row.top >= rows.bottom) {
            break;
        }
        if (ownerDrawn) {
            DrawOwnerRow(list, *current, dc, index, row);
            current = ListStateOf(list);  // the parent could have changed or destroyed the list
            SelectControlFont(dc, current != nullptr ? current->font : nullptr);
            SetBkMode(dc, TRANSPARENT);
        } else {
            DrawRow(list, *current, dc, index, row, rows);
        }
    }
    if (current != nullptr) {
        DrawHeader(list, *current, dc, content);
        DrawScrollBar(list, *current, dc);
    }
    SelectObject(dc, previousFont);
    if ((GetWindowLongW(list, GWL_STYLE) & WS_BORDER) != 0) {
        Pens pens(dc, GetStockObject(BLACK_PEN), GetStockObject(NULL_BRUSH));
        Rectangle(dc, client.left, client.top, client.right, client.bottom);
    }
    EndPaint(list, &paint);
}
