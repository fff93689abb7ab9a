// The list view's selection and focus, each change told to the parent with LVN_ITEMCHANGED;
// activation; scrolling a row into view.
#include "list_view_state.h"

#include <algorithm>
#include <vector>

namespace {

UINT StateOf(const ListViewState& state, int index) {
    return (state.selected.count(index) != 0 ? LVIS_SELECTED : 0) |
           (state.focused == index ? LVIS_FOCUSED : 0);
}

LPARAM ParamOf(HWND list, const ListViewState& state, int index) {
    return (GetWindowLongW(list, GWL_STYLE) & LVS_OWNERDATA) == 0 &&
                   index < static_cast<int>(state.rows.size())
               ? state.rows[index].param
               : 0;
}

void SendNotify(HWND list, NMHDR* header, UINT code) {
    header->hwndFrom = list;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    header->code = code;
    HWND parent = GetParent(list);
    if (parent != nullptr) {
        SendMessageW(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
    }
}

void InvalidateRow(HWND list, ListViewState& state, int index) {
    RECT row;
    if (ListRowRect(list, state, index, &row)) {
        InvalidateRect(list, &row, TRUE);
    }
}

// Stores the new state of one row and tells the parent; false when the list went away.
bool Store(HWND list, ListViewState& state, int index, UINT oldState, UINT newState) {
    if ((newState & LVIS_SELECTED) != 0) {
        state.selected.insert(index);
    } else {
        state.selected.erase(index);
    }
    if ((newState & LVIS_FOCUSED) != 0) {
        state.focused = index;
    } else if (state.focused == index) {
        state.focused = -1;
    }
    InvalidateRow(list, state, index);
    NMLISTVIEW change{};
    change.iItem = index;
    change.uNewState = newState;
    change.uOldState = oldState;
    change.uChanged = LVIF_STATE;
    change.lParam = ParamOf(list, state, index);
    SendNotify(list, &change.hdr, LVN_ITEMCHANGED);
    return ListStateOf(list) != nullptr;
}

bool SetOne(HWND list, int index, UINT newState, UINT mask) {
    ListViewState* state = ListStateOf(list);
    if (state == nullptr || index < 0 || index >= ListCount(list, *state)) {
        return false;
    }
    UINT oldState = StateOf(*state, index);
    UINT wanted = (oldState & ~mask) | (newState & mask & (LVIS_SELECTED | LVIS_FOCUSED));
    if (wanted == oldState) {
        return true;
    }
    // A single-selection list drops its other selected rows first; the focus leaves its old row.
    if ((wanted & LVIS_SELECTED) != 0 && (oldState & LVIS_SELECTED) == 0 &&
        (GetWindowLongW(list, GWL_STYLE) & LVS_SINGLESEL) != 0) {
        std::vector<int> others(state->selected.begin(), state->selected.end());
        for (int other : others) {
            if (!SetOne(list, other, 0, LVIS_SELECTED) && ListStateOf(list) == nullptr) {
                return false;
            }
        }
    }
    state = ListStateOf(list);
    if ((wanted & LVIS_FOCUSED) != 0 && state != nullptr && state->focused >= 0 &&
        state->focused != index) {
        if (!SetOne(list, state->focused, 0, LVIS_FOCUSED) && ListStateOf(list) == nullptr) {
            return false;
        }
    }
    // The parent may have changed the rows while it heard of the others.
    state = ListStateOf(list);
    if (state == nullptr || index >= ListCount(list, *state)) {
        return false;
    }
    oldState = StateOf(*state, index);
    wanted = (oldState & ~mask) | (newState & mask & (LVIS_SELECTED | LVIS_FOCUSED));
    return wanted == oldState || Store(list, *state, index, oldState, wanted);
}

}  // namespace

bool ListSetItemState(HWND list, int index, UINT newState, UINT mask) {
    if (index != -1) {
        return SetOne(list, index, newState, mask);
    }
    ListViewState* state = ListStateOf(list);
    if (state == nullptr) {
        return false;
    }
    // Every row: only the rows whose state changes are visited (the focus belongs to one row).
    mask &= LVIS_SELECTED | ((newState & LVIS_FOCUSED) == 0 ? LVIS_FOCUSED : 0);
    std::vector<int> rows;
    if ((mask & LVIS_SELECTED) != 0 && (newState & LVIS_SELECTED) != 0) {
        if ((GetWindowLongW(list, GWL_STYLE) & LVS_SINGLESEL) != 0) {
            return false;
        }
        for (int i = 0; i < ListCount(list, *state); ++i) {
            rows.push_back(i);
        }
    } else {
        rows.assign(state->selected.begin(), state->selected.end());
    }
    if ((mask & LVIS_FOCUSED) != 0 && state->focused >= 0) {
        rows.push_back(state->focused);
    }
    for (int row : rows) {
        if (!SetOne(list, row, newState, mask) && ListStateOf(list) == nullptr) {
            return false;
        }
    }
    return true;
}

bool ListSelectOnly(HWND list, int index) {
    ListViewState* state = ListStateOf(list);
    if (state == nullptr) {
        return false;
    }
    std::vector<int> others(state->selected.begin(), state->selected.end());
    for (int other : others) {
        if (other != index && !SetOne(list, other, 0, LVIS_SELECTED) &&
            ListStateOf(list) == nullptr) {
            return false;
        }
    }
    if (!SetOne(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED)) {
        return false;
    }
    state = ListStateOf(list);
    if (state != nullptr) {
        ListEnsureVisible(list, *state, index);
    }
    return state != nullptr;
}

void ListNotifyActivate(HWND list, int index, POINT at) {
    ListViewState* state = ListStateOf(list);
    if (state == nullptr || index < 0 || index >= ListCount(list, *state)) {
        return;
    }
    NMITEMACTIVATE activation{};
    activation.iItem = index;
    activation.uNewState = activation.uOldState = StateOf(*state, index);
    activation.ptAction = at;
    activation.lParam = ParamOf(list, *state, index);
    SendNotify(list, &activation.hdr, LVN_ITEMACTIVATE);
}

void ListScrollTo(HWND list, ListViewState& state, int top) {
    top = std::clamp(top, 0, ListMaxTop(list, state));
    if (top != state.top) {
        state.top = top;
        InvalidateRect(list, nullptr, TRUE);
    }
}

void ListEnsureVisible(HWND list, ListViewState& state, int index) {
    if (index < 0 || index >= ListCount(list, state)) {
        return;
    }
    int page = ListRowsPerPage(list, state);
    if (index < state.top) {
        ListScrollTo(list, state, index);
    } else if (index >= state.top + page) {
        ListScrollTo(list, state, index - page + 1);
    }
}
