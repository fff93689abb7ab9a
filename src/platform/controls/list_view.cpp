// The list view ("SysListView32") in report view: columns, rows with a text per column and a
// value, or (owner data) only a row count; selection kept by row number; owner-drawn fixed rows
// measured once through the parent. Input and painting live beside this file.
#include "list_view_state.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kMaxVirtualRows = 1 << 20;  // the selection of an owner-data list is kept per row
constexpr int kMaxSubItems = 256;
constexpr int kMaxColumnWidth = 0x7FFF;  // what LVM_SETCOLUMNWIDTH can carry

ControlStates<ListViewState> states;

bool OwnerData(HWND list) {
    return (GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDATA) != 0;
}

// The text given in an item or column: a null pointer or the text-callback marker is empty.
std::u16string TextFrom(LPCWSTR text) {
    if (text == nullptr || text == reinterpret_cast<LPCWSTR>(static_cast<std::intptr_t>(-1))) {
        return {};
    }
    return text;
}

// Copies text into a caller's buffer of capacity units (cut, always terminated).
int CopyOut(const std::u16string& text, LPWSTR buffer, int capacity) {
    if (buffer == nullptr || capacity <= 0) {
        return 0;
    }
    int length = std::min(static_cast<int>(text.size()), capacity - 1);
    std::copy_n(text.begin(), length, buffer);
    buffer[length] = 0;
    return length;
}

std::u16string CellText(const ListViewState& state, int index, int subItem) {
    if (index < 0 || index >= static_cast<int>(state.rows.size()) || subItem < 0 ||
        subItem >= static_cast<int>(state.rows[index].texts.size())) {
        return {};
    }
    return state.rows[index].texts[subItem];
}

bool ValidRow(HWND list, const ListViewState& state, WPARAM index) {
    return index < static_cast<WPARAM>(ListCount(list, state));
}

// Owner-drawn fixed rows take their height from the parent's answer to WM_MEASUREITEM.
void Measure(HWND list, ListViewState& state, HWND parent, int id) {
    if ((GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDRAWFIXED) == 0 || parent == nullptr) {
        return;
    }
    state.measuredHeight = 0;
    RECT client;
    GetClientRect(list, &client);
    MEASUREITEMSTRUCT measure{ODT_LISTVIEW,
                              static_cast<UINT>(id),
                              0,
                              static_cast<UINT>(client.right),
                              static_cast<UINT>(ListRowHeight(list, state)),
                              0};
    SendMessageW(parent, WM_MEASUREITEM, static_cast<WPARAM>(id),
                 reinterpret_cast<LPARAM>(&measure));
    if (ListViewState* still = ListStateOf(list)) {
        still->measuredHeight = static_cast<int>(std::min<UINT>(measure.itemHeight, kMaxRowHeight));
    }
}

// Row numbers after a row was inserted at (by 1) or deleted from (by -1) position at.
void ShiftSelection(ListViewState& state, int at, int by) {
    std::set<int> moved;
    for (int row : state.selected) {
        if (row < at) {
            moved.insert(row);
        } else if (by > 0 || row > at) {
            moved.insert(row + by);
        }
    }
    state.selected = std::move(moved);
    if (state.focused == at && by < 0) {
        state.focused = -1;
    } else if (state.focused >= at) {
        state.focused += by;
    }
}

void Changed(HWND list, ListViewState& state) {
    state.top = std::clamp(state.top, 0, ListMaxTop(list, state));
    InvalidateRect(list, nullptr, TRUE);
}

LRESULT InsertColumn(HWND list, ListViewState& state, WPARAM at, const LVCOLUMNW* column) {
    if (column == nullptr || state.columns.size() >= kMaxSubItems) {
        return -1;
    }
    int index = static_cast<int>(std::min<WPARAM>(at, state.columns.size()));
    ListColumn added;
    if ((column->mask & LVCF_TEXT) != 0) {
        added.text = TextFrom(column->pszText);
    }
    if ((column->mask & LVCF_WIDTH) != 0) {
        added.width = std::clamp(column->cx, 0, kMaxColumnWidth);
    }
    if ((column->mask & LVCF_FMT) != 0) {
        added.format = column->fmt & (LVCFMT_RIGHT | LVCFMT_CENTER);
    }
    state.columns.insert(state.columns.begin() + index, added);
    for (ListRow& row : state.rows) {  // the rows' texts move with their columns
        if (static_cast<int>(row.texts.size()) > index) {
            row.texts.insert(row.texts.begin() + index, std::u16string());
        }
    }
    Changed(list, state);
    return index;
}

LRESULT InsertItem(HWND list, ListViewState& state, const LVITEMW* item) {
    if (item == nullptr || item->iItem < 0 || item->iSubItem != 0 || OwnerData(list)) {
        return -1;
    }
    int index = std::min(item->iItem, static_cast<int>(state.rows.size()));
    ListRow row;
    row.texts.push_back((item->mask & LVIF_TEXT) != 0 ? TextFrom(item->pszText) : u"");
    row.param = (item->mask & LVIF_PARAM) != 0 ? item->lParam : 0;
    row.image = (item->mask & LVIF_IMAGE) != 0 ? item->iImage : 0;
    state.rows.insert(state.rows.begin() + index, std::move(row));
    ShiftSelection(state, index, 1);
    Changed(list, state);
    if ((item->mask & LVIF_STATE) != 0 && (item->state & item->stateMask) != 0) {
        ListSetItemState(list, index, item->state, item->stateMask);
    }
    return index;
}

LRESULT DeleteItem(HWND list, ListViewState& state, WPARAM index) {
    if (!ValidRow(list, state, index)) {
        return FALSE;
    }
    int row = static_cast<int>(index);
    if (OwnerData(list)) {
        --state.virtualCount;
    } else {
        state.rows.erase(state.rows.begin() + row);
    }
    ShiftSelection(state, row, -1);
    Changed(list, state);
    return TRUE;
}

LRESULT SetItemText(HWND list, ListViewState& state, WPARAM index, const LVITEMW* item) {
    if (item == nullptr || OwnerData(list) || !ValidRow(list, state, index) || item->iSubItem < 0 ||
        item->iSubItem >= kMaxSubItems) {
        return FALSE;
    }
    auto& texts = state.rows[index].texts;
    if (static_cast<int>(texts.size()) <= item->iSubItem) {
        texts.resize(static_cast<std::size_t>(item->iSubItem) + 1);
    }
    texts[item->iSubItem] = TextFrom(item->pszText);
    InvalidateRect(list, nullptr, TRUE);
    return TRUE;
}

// The parts of a row that item's mask names: a column's text, and for column 0 the value and the
// image; the state through the selection rules (and the parent's notification).
LRESULT SetItem(HWND list, ListViewState& state, const LVITEMW* item) {
    if (item == nullptr || OwnerData(list) ||
        !ValidRow(list, state, static_cast<WPARAM>(item->iItem)) || item->iSubItem < 0 ||
        item->iSubItem >= kMaxSubItems ||
        (item->iSubItem != 0 && (item->mask & (LVIF_PARAM | LVIF_IMAGE | LVIF_STATE)) != 0)) {
        return FALSE;
    }
    ListRow& row = state.rows[static_cast<std::size_t>(item->iItem)];
    if ((item->mask & LVIF_TEXT) != 0) {
        if (static_cast<int>(row.texts.size()) <= item->iSubItem) {
            row.texts.resize(static_cast<std::size_t>(item->iSubItem) + 1);
        }
        row.texts[static_cast<std::size_t>(item->iSubItem)] = TextFrom(item->pszText);
    }
    if ((item->mask & LVIF_PARAM) != 0) {
        row.param = item->lParam;
    }
    if ((item->mask & LVIF_IMAGE) != 0) {
        row.image = item->iImage;
    }
    InvalidateRect(list, nullptr, TRUE);
    if ((item->mask & LVIF_STATE) != 0) {
        return ListSetItemState(list, item->iItem, item->state, item->stateMask);
    }
    return TRUE;
}

LRESULT GetItem(HWND list, ListViewState& state, LVITEMW* item) {
    if (item == nullptr || !ValidRow(list, state, static_cast<WPARAM>(item->iItem))) {
        return FALSE;
    }
    int index = item->iItem;
    if ((item->mask & LVIF_TEXT) != 0) {
        CopyOut(CellText(state, index, item->iSubItem), item->pszText, item->cchTextMax);
    }
    bool stored = index < static_cast<int>(state.rows.size());
    if ((item->mask & LVIF_PARAM) != 0) {
        item->lParam = stored ? state.rows[index].param : 0;
    }
    if ((item->mask & LVIF_IMAGE) != 0) {
        item->iImage = stored ? state.rows[index].image : 0;
    }
    if ((item->mask & LVIF_STATE) != 0) {
        UINT current = (state.selected.count(index) != 0 ? LVIS_SELECTED : 0) |
                       (state.focused == index ? LVIS_FOCUSED : 0);
        item->state = current & item->stateMask;
    }
    return TRUE;
}

LRESULT NextItem(HWND list, ListViewState& state, WPARAM start, LPARAM flags) {
    int from = static_cast<int>(start) < 0 ? 0 : static_cast<int>(start) + 1;
    int count = ListCount(list, state);
    if ((flags & LVNI_FOCUSED) != 0) {
        bool fits = state.focused >= from &&
                    ((flags & LVNI_SELECTED) == 0 || state.selected.count(state.focused) != 0);
        return fits ? state.focused : -1;
    }
    if ((flags & LVNI_SELECTED) != 0) {
        auto found = state.selected.lower_bound(from);
        return found != state.selected.end() && *found < count ? *found : -1;
    }
    return from < count ? from : -1;
}

LRESULT ItemRect(HWND list, ListViewState& state, WPARAM index, RECT* rect) {
    if (rect == nullptr || !ValidRow(list, state, index)) {
        return FALSE;
    }
    int part = rect->left;
    RECT row;
    ListRowRect(list, state, static_cast<int>(index), &row);
    int imageWidth = 0, imageHeight = 0;
    ImageList_GetIconSize(state.smallImages, &imageWidth, &imageHeight);
    int labelRight = state.columns.empty() ? row.right : row.left + state.columns[0].width;
    if (part == LVIR_ICON) {
        row.right = row.left + imageWidth;
    } else if (part == LVIR_LABEL) {
        row.left = std::min(row.left + imageWidth, labelRight);
        row.right = labelRight;
    }
    *rect = row;
    return TRUE;
}

LRESULT SetItemCount(HWND list, ListViewState& state, WPARAM count) {
    if (!OwnerData(list)) {
        return TRUE;  // a list that keeps its rows counts them itself
    }
    if (static_cast<int>(count) < 0 || static_cast<int>(count) > kMaxVirtualRows) {
        return FALSE;
    }
    state.virtualCount = static_cast<int>(count);
    state.selected.erase(state.selected.lower_bound(state.virtualCount), state.selected.end());
    if (state.focused >= state.virtualCount) {
        state.focused = -1;
    }
    Changed(list, state);
    return TRUE;
}

void Scroll(HWND list, ListViewState& state, WPARAM request) {
    int page = ListRowsPerPage(list, state);
    switch (LOWORD(request)) {
        case SB_LINEUP:
            ListScrollTo(list, state, state.top - 1);
            break;
        case SB_LINEDOWN:
            ListScrollTo(list, state, state.top + 1);
            break;
        case SB_PAGEUP:
            ListScrollTo(list, state, state.top - page);
            break;
        case SB_PAGEDOWN:
            ListScrollTo(list, state, state.top + page);
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: {
            // The list's own thumb knows the whole row number; the message keeps its low 16 bits.
            int position = HIWORD(request);
            bool own = state.thumbReport >= 0 && (state.thumbReport & 0xFFFF) == position;
            ListScrollTo(list, state, own ? state.thumbReport : position);
            break;
        }
        case SB_TOP:
            ListScrollTo(list, state, 0);
            break;
        case SB_BOTTOM:
            ListScrollTo(list, state, ListMaxTop(list, state));
            break;
        default:
            break;
    }
}

LRESULT ListMessage(HWND list, ListViewState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* item = reinterpret_cast<LVITEMW*>(lParam);
    switch (message) {
        case LVM_INSERTCOLUMNW:
            return InsertColumn(list, state, wParam, reinterpret_cast<const LVCOLUMNW*>(lParam));
        case LVM_SETCOLUMNWIDTH: {
            int width = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam)));
            if (wParam >= state.columns.size() || width < 0) {
                return FALSE;
            }
            state.columns[wParam].width = width;
            InvalidateRect(list, nullptr, TRUE);
            return TRUE;
        }
        case LVM_GETCOLUMNWIDTH:
            return wParam < state.columns.size() ? state.columns[wParam].width : 0;
        case LVM_INSERTITEMW:
            return InsertItem(list, state, item);
        case LVM_SETITEMTEXTW:
            return SetItemText(list, state, wParam, item);
        case LVM_GETITEMTEXTW:
            if (item == nullptr) {
                return 0;
            }
            return CopyOut(CellText(state, static_cast<int>(wParam), item->iSubItem), item->pszText,
                           item->cchTextMax);
        case LVM_GETITEMW:
            return GetItem(list, state, item);
        case LVM_SETITEMW:
            return SetItem(list, state, item);
        case LVM_DELETEITEM:
            return DeleteItem(list, state, wParam);
        case LVM_DELETEALLITEMS:
            state.rows.clear();
            state.virtualCount = 0;
            state.selected.clear();
            state.focused = -1;
            Changed(list, state);
            return TRUE;
        case LVM_GETITEMCOUNT:
            return ListCount(list, state);
        case LVM_SETITEMCOUNT:
            return SetItemCount(list, state, wParam);
        case LVM_GETNEXTITEM:
            return NextItem(list, state, wParam, lParam);
        case LVM_GETSELECTEDCOUNT:
            return static_cast<LRESULT>(state.selected.size());
        case LVM_SETITEMSTATE:
            return item != nullptr &&
                   ListSetItemState(list, static_cast<int>(wParam), item->state, item->stateMask);
        case LVM_GETITEMSTATE:
            if (!ValidRow(list, state, wParam)) {
                return 0;
            }
            return ((state.selected.count(static_cast<int>(wParam)) != 0 ? LVIS_SELECTED : 0) |
                    (state.focused == static_cast<int>(wParam) ? LVIS_FOCUSED : 0)) &
                   static_cast<UINT>(lParam);
        case LVM_GETITEMRECT:
            return ItemRect(list, state, wParam, reinterpret_cast<RECT*>(lParam));
        case LVM_ENSUREVISIBLE:
            if (!ValidRow(list, state, wParam)) {
                return FALSE;
            }
            ListEnsureVisible(list, state, static_cast<int>(wParam));
            return TRUE;
        case LVM_GETTOPINDEX:
            return state.top;
        case LVM_GETCOUNTPERPAGE:
            return ListRowsPerPage(list, state);
        case LVM_SETEXTENDEDLISTVIEWSTYLE: {
            DWORD previous = state.exStyle;
            DWORD mask = wParam != 0 ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
            state.exStyle = (previous & ~mask) | (static_cast<DWORD>(lParam) & mask);
            InvalidateRect(list, nullptr, TRUE);
            return previous;
        }
        case LVM_GETEXTENDEDLISTVIEWSTYLE:
            return state.exStyle;
        case LVM_SETIMAGELIST: {
            if (wParam != LVSIL_SMALL) {
                return 0;
            }
            HIMAGELIST previous = state.smallImages;
            state.smallImages = reinterpret_cast<HIMAGELIST>(lParam);
            Changed(list, state);
            return reinterpret_cast<LRESULT>(previous);
        }
        default:
            return DefWindowProcW(list, message, wParam, lParam);
    }
}

}  // namespace

ListViewState* ListStateOf(HWND list) {
    return states.Find(list);
}

LRESULT ListViewProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    ListViewState& state = states.Of(list);
    bool handled = false;
    LRESULT result = ListHandleInput(list, message, wParam, lParam, &handled);
    if (handled) {
        return result;
    }
    switch (message) {
        case WM_CREATE: {
            auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            Measure(list, state, create->hwndParent,
                    static_cast<int>(reinterpret_cast<std::intptr_t>(create->hMenu)));
            return 0;
        }
        case WM_SETFONT:
            state.font = reinterpret_cast<HFONT>(wParam);
            state.textHeight = 0;
            Measure(list, state, GetParent(list), GetDlgCtrlID(list));
            if (ListViewState* still = ListStateOf(list)) {
                Changed(list, *still);
            }
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(state.font);
        case WM_PAINT:
            ListPaint(list, state);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the painting fills every pixel
        case WM_SIZE:
            Changed(list, state);
            return 0;
        case WM_VSCROLL:
            Scroll(list, state, wParam);
            return 0;
        case WM_DESTROY:
            if ((GetWindowLongW(list, GWL_STYLE) & LVS_SHAREIMAGELISTS) == 0 &&
                state.smallImages != nullptr) {
                ImageList_Destroy(state.smallImages);  // the list owns the images it was given
                state.smallImages = nullptr;
            }
            return 0;
        case WM_NCDESTROY:
            states.Forget(list);
            return DefWindowProcW(list, message, wParam, lParam);
        default:
            return message >= LVM_FIRST && message < LVM_FIRST + 0x100
                       ? ListMessage(list, state, message, wParam, lParam)
                       : DefWindowProcW(list, message, wParam, lParam);
    }
}
